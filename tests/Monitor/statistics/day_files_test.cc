#include "Monitor/statistics/day_files.h"

#include <gtest/gtest.h>

#include <string>

#include "Monitor/control/cycle_log.h"
#include "Monitor/statistics/accounting.h"
#include "Monitor/statistics/season_file.h"
#include "Monitor/ui/display.h"
#include "tests/support/test_host.h"

namespace kelvora::testing {
namespace {

class DayFilesTest : public ::testing::Test {
 protected:
  DayFilesTest() {
    ResetDayState(StatisticsPartsOf(host));
    host.state.clock.todayDate = "19/06/15";
    host.state.clock.clockSeconds = 50708;  // the test clock's second
  }

  // A day in progress: fans on, a cycle strip of 16 lines, two cycles, and
  // every saved value different, so that no two can change places unseen.
  void FillDay() {
    StatisticsState& s = host.state.statistics;
    ControlState& c = host.state.control;
    host.state.card.outputByte = 1 | 2;
    host.state.clock.clockSeconds = 40000;
    s.heatingTimeText = " 0:20:34";
    float value = 1.25f;
    for (float* number : {&s.heatingSeconds, &s.energyToday, &s.setbackSeconds, &s.setbackEnergy,
                          &s.offSeconds, &s.onSeconds, &s.day.dayWeightSeconds, &s.day.sunHourMax}) {
      *number = value++;
    }
    for (Statistic* statistic :
         {&s.day.interior, &s.day.exterior, &s.day.windChill, &s.day.sun, &s.day.wind}) {
      *statistic = {-value++, value++ * 1000, value++};
    }
    c.stripRows.GrowRows(16);
    c.stripRowCount = 16;
    c.stripColumn = 5;
    c.stripRows(16) = "    \xDC\xDB";
    StartCycleRow(c, CycleCode::kHeating, 0, 19.5f, -7);
    c.cycleLog(1, kCycleDuration) = 300;
    StartCycleRow(c, CycleCode::kOff, 300, 21, -6.5f);
  }

  // Back to the start of a day, as a restart finds the state before reading the files.
  void Restart() {
    ResetDayState(StatisticsPartsOf(host));
    host.state.card.outputByte = 16;
    host.state.clock.clockSeconds = 50708;
  }

  TestHost host;
};

TEST_F(DayFilesTest, DayFilesOfAnEarlierDayCloseThatDayOnceAndTodayStartsAfresh) {
  FillDay();
  host.state.clock.todayDate = "19/06/14";
  SaveDayState(StatisticsPartsOf(host), host.Files());
  float energy = host.state.statistics.energyToday;
  Restart();
  host.state.clock.todayDate = "19/06/15";
  CheckTempFile(StatisticsPartsOf(host), StatisticsServicesOf(host));
  RestoreDayState(StatisticsPartsOf(host), StatisticsServicesOf(host));
  std::string season = ReadFileBytes(host.DataFile("TEMP.DAT"));
  ASSERT_EQ(season.size(), 52u);
  EXPECT_EQ(season.substr(0, 8), "19/06/14");
  EXPECT_EQ(Cvs(season.substr(12, 4)), energy);
  EXPECT_EQ(host.state.statistics.energyToday, 0);
  EXPECT_EQ(host.state.control.cycleIndex, 1);
  EXPECT_EQ(host.state.card.outputByte, 16);
  Restart();
  RestoreDayState(StatisticsPartsOf(host),
                  StatisticsServicesOf(host));  // a second start the same day finds nothing to close
  EXPECT_EQ(ReadFileBytes(host.DataFile("TEMP.DAT")).size(), 52u);
}

// Back in the window, the restored periods show in "last cycles" beside
// their shares.
TEST_F(DayFilesTest, ADaySavedAndRestoredComesBackWhole) {
  FillDay();
  host.state.statistics.offSeconds = 4684;
  host.state.statistics.onSeconds = 3723;
  std::string stat = StatFileText(StatisticsPartsOf(host.state)), cycles = CycleFileText(host.state.control);
  SaveDayState(StatisticsPartsOf(host), host.Files());
  Restart();
  RestoreDayState(StatisticsPartsOf(host), StatisticsServicesOf(host));
  EXPECT_EQ(host.state.card.outputByte, 1 | 2 | 16);
  DisplaySnapshot snapshot;
  RefreshDisplay(host.state, LocalTime{}, snapshot);
  EXPECT_EQ(snapshot.texts[1035], "01:18:04");
  EXPECT_EQ(snapshot.texts[1033], "01:02:03");
  host.state.card.outputByte = 1 | 2;
  EXPECT_EQ(StatFileText(StatisticsPartsOf(host.state)), stat);
  EXPECT_EQ(CycleFileText(host.state.control), cycles);
  EXPECT_EQ(host.state.statistics.day.wind.maximum, 23.25f);
}

TEST_F(DayFilesTest, ANewDayStartsWithAnOffRowFromTheRawSensors) {
  host.state.sensors.lastInteriorRaw = 152;  // the settings load's reading
  host.channels[4] = 140;
  RestoreDayState(StatisticsPartsOf(host), StatisticsServicesOf(host));
  const Table<float>& log = host.state.control.cycleLog;
  EXPECT_EQ(host.state.control.cycleIndex, 1);
  EXPECT_FLOAT_EQ(log(1, kCycleInterior), 20.2f);
  EXPECT_FLOAT_EQ(log(1, kCycleExterior), 140 / 2.55f - 50);
  EXPECT_EQ(log(1, kCycleDuration), 50708);
  EXPECT_EQ(host.state.control.stripIndex, 1);
}

TEST_F(DayFilesTest, ADamagedFileIsKeptBesideItselfWithoutReplacingAnEarlierCopy) {
  WriteFileBytes(host.DataFile("STAT.DAT"), "garbage\r\n");
  WriteFileBytes(host.DataFile("STAT.DAT.damaged"), "an earlier copy");
  RestoreDayState(StatisticsPartsOf(host), StatisticsServicesOf(host));
  EXPECT_EQ(ReadFileBytes(host.DataFile("STAT.DAT.damaged-2")), "garbage\r\n");
  EXPECT_EQ(ReadFileBytes(host.DataFile("STAT.DAT.damaged")), "an earlier copy");
  EXPECT_NE(host.console.find("STAT.DAT.damaged-2"), std::string::npos) << host.console;
  EXPECT_EQ(host.state.control.cycleIndex, 1);  // the day goes on
}

TEST_F(DayFilesTest, ADayFileSavedLaterThanTheClockDoesNotFreezeIt) {
  FillDay();
  host.state.clock.clockSeconds = 80000;  // saved yesterday evening
  SaveDayState(StatisticsPartsOf(host), host.Files());
  Restart();
  RestoreDayState(StatisticsPartsOf(host), StatisticsServicesOf(host));
  EXPECT_EQ(host.state.clock.clockSeconds, 50708);
  EXPECT_EQ(host.state.statistics.energyToday, 2.25f);
}

TEST(CycleFileTest, ACountAboveTheRowsPresentIsDamage) {
  RunState state;
  std::string problem;
  EXPECT_FALSE(ParseCycleFile(" 3\r\n 1 0 20 5 60 0\r\n 0 60 20 5 60 0\r\n", state.control, &problem));
  EXPECT_EQ(problem, "line 4: the file ends before it");
  for (const char* count : {" 99999999\r\n", "-1\r\n"})
    EXPECT_FALSE(ParseCycleFile(count, state.control, &problem));
}

TEST(CycleFileTest, AWriterSavingAgainWritesTheRowsAsTheyStandNow) {
  RunState state;
  std::string problem;
  ASSERT_TRUE(ParseCycleFile(" 2\r\n 1 0 20 5 60 0\r\n 0 60 20 5 60 0\r\n", state.control, &problem))
      << problem;
  CycleFileWriter writer;
  EXPECT_EQ(writer.Text(state.control), CycleFileText(state.control));
  // The running row grows, a row is added, then the day starts again with fewer.
  state.control.cycleLog(2, kCycleDuration) = 120;
  EXPECT_EQ(writer.Text(state.control), CycleFileText(state.control));
  EXPECT_NE(writer.Text(state.control).find(" 120 "), std::string::npos);
  state.control.cycleIndex = 3;
  state.control.cycleLog(3, kCycleState) = 1;
  EXPECT_EQ(writer.Text(state.control), CycleFileText(state.control));
  state.control.cycleIndex = 1;
  state.control.cycleLog(1, kCycleInterior) = 18.5f;
  EXPECT_EQ(writer.Text(state.control), CycleFileText(state.control));
  EXPECT_NE(writer.Text(state.control).find("18.5"), std::string::npos);
}

}  // namespace
}  // namespace kelvora::testing
