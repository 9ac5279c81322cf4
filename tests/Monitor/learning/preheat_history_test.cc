#include "Monitor/learning/preheat_history.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "Functions/formulas.h"
#include "tests/support/test_host.h"

namespace kelvora::testing {
namespace {

class PreheatHistoryTest : public ::testing::Test {
 protected:
  PreheatHistoryTest() { SetToday("19/01/15"); }

  void SetToday(const std::string& date) {
    ClockState& clock = host.state.clock;
    clock.todayDate = date;
    clock.todayNumber = NumDate(date);
    clock.todaySeasonDay = Julian07(date);
  }

  // A pre-heat of `date` that the default windows take.
  static PreheatHistoryRecord Pre(const std::string& date, float dayWindChill = 0) {
    PreheatHistoryRecord r;
    r.date = date;
    r.dayWindChill = dayWindChill;
    r.fittedTimeConst = 200;
    r.programmedTime = 23400;
    r.actualSeconds = 5400;
    r.slope = 10;
    r.curve = 0.5f;
    r.dropRate = 120;
    r.inertDeg = 3;
    return r;
  }

  // Writes the records as "PREHEAT.DAT"; their bytes.
  std::string WriteHistory(const std::vector<PreheatHistoryRecord>& records) {
    std::string bytes;
    for (const PreheatHistoryRecord& r : records) bytes += EncodePreheatRecord(r);
    WriteFileBytes(host.DataFile("PREHEAT.DAT"), bytes);
    return bytes;
  }
  void WriteSettings(const std::string& system) {
    WriteFileBytes(host.home.path() + "/Settings.ini", "[System]\r\n" + system);
  }
  void Read() {
    host.state.control.pendingSlotEnd = 23400;
    ReadPreheatHistory(LearningPartsOf(host), LearningServicesOf(host));
  }

  LearningState& learning() { return host.state.learning; }
  TestHost host;
};

// Every field comes back and writes the same bytes again; the variant lies
// at byte 102, least significant byte first.
TEST_F(PreheatHistoryTest, RecordsSurviveEncodingFieldByField) {
  PreheatHistoryRecord r = Pre("18/12/01", -7.25f);
  r.riseDelay = -120;
  r.inertiaDelay = 900;
  r.variant = 1;
  r.energyUsed = 12.5f;
  std::string bytes = EncodePreheatRecord(r);
  ASSERT_EQ(bytes.size(), kPreheatRecordLength);
  EXPECT_EQ(EncodePreheatRecord(DecodePreheatRecord(bytes)), bytes);
  EXPECT_EQ(bytes.substr(102, 2), std::string("\1\0", 2));
  EXPECT_EQ(DecodePreheatRecord(bytes).date, "18/12/01");
}

TEST_F(PreheatHistoryTest, ClassWidthFollowsTheNumberOfRecords) {
  struct Case {
    int records;
    int width;
    int lastClass;
  };
  for (Case c : {Case{100, 5, 20}, Case{101, 4, 25}, Case{201, 3, 33}, Case{0, 3, 33}}) {
    WriteHistory(std::vector<PreheatHistoryRecord>(c.records, Pre("19/01/10")));
    Read();
    EXPECT_EQ(learning().classStep, c.width) << c.records << " records";
    EXPECT_EQ(learning().classTable.Rows(), c.lastClass) << c.records << " records";
  }
}

TEST_F(PreheatHistoryTest, ClassWidthSettingOverridesAndNonsenseIsIgnored) {
  WriteHistory({Pre("19/01/10")});
  WriteSettings("STP=10\r\n");
  Read();
  EXPECT_EQ(learning().classStep, 10);
  WriteSettings("STP=0\r\n");
  Read();
  EXPECT_EQ(learning().classStep, 5);
}

TEST_F(PreheatHistoryTest, OldSeasonsMoveToTheArchiveAndRecentRecordsAreRenumbered) {
  const std::string whole = WriteHistory({Pre("12/01/10"), Pre("18/12/20"), Pre("19/01/02")});
  Read();
  EXPECT_EQ(ReadFileBytes(host.DataFile("History/PREHEAT.19")), whole);
  EXPECT_EQ(ReadFileBytes(host.DataFile("PREHEAT.DAT")), whole.substr(kPreheatRecordLength));
  EXPECT_EQ(learning().historyCount, 2);
  // Nothing is left to rotate.
  Read();
  EXPECT_EQ(ReadFileBytes(host.DataFile("PREHEAT.DAT")), whole.substr(kPreheatRecordLength));
  EXPECT_FALSE(host.Files().Exists("History\\PREHEAT.19-2"));
}

TEST_F(PreheatHistoryTest, RotationKeepsAnEarlierArchiveOfTheSameYear) {
  WriteFileBytes(host.DataFile("History/PREHEAT.19"), "season archive");
  const std::string whole = WriteHistory({Pre("12/01/10")});
  Read();
  EXPECT_EQ(ReadFileBytes(host.DataFile("History/PREHEAT.19")), "season archive");
  EXPECT_EQ(ReadFileBytes(host.DataFile("History/PREHEAT.19-2")), whole);
}

TEST_F(PreheatHistoryTest, RotationThatKeepsNothingLeavesAnOpenEmptyHistory) {
  WriteHistory({Pre("12/01/10"), Pre("12/02/10")});
  Read();
  EXPECT_EQ(learning().historyCount, 0);
  EXPECT_TRUE(host.Files().IsOpen(learning().historyFile));
  EXPECT_EQ(ReadFileBytes(host.DataFile("PREHEAT.DAT")), "");
  // The defaults of classes 0 and K still give every value.
  EXPECT_GT(learning().timeConst, 0);
  EXPECT_GE(host.state.control.planFlag, 0);
}

// Twelve records of one date and variant; the year range of two is widened
// (-1) before the selection is relaxed, and comes back to two afterwards:
// three years back, inside a widened range; last autumn, outside the season
// window of mid-January; early in the season, recent days; another variant.
TEST_F(PreheatHistoryTest, TakesTheRecordsItMayAtTheLeastRelaxation) {
  struct Case {
    std::string today, date;
    uint8_t variant;
    int relaxLevel, selected;
  };
  for (const Case& c : {Case{"19/01/15", "16/01/20", 0, -1, 12}, Case{"19/01/15", "18/09/20", 0, 2, 12},
                        Case{"19/07/20", "19/07/10", 0, -1, 12}, Case{"19/01/15", "19/01/10", 1, 3, 0}}) {
    SCOPED_TRACE(c.date);
    SetToday(c.today);
    WriteSettings("Year_Range=2\r\n");
    std::vector<PreheatHistoryRecord> records(12, Pre(c.date));
    for (PreheatHistoryRecord& r : records) r.variant = c.variant;
    WriteHistory(records);
    Read();
    EXPECT_EQ(learning().relaxLevel, c.relaxLevel);
    EXPECT_EQ(learning().selectedCount, c.selected);
    EXPECT_EQ(host.state.settings.Year_Range, 2);
  }
}

TEST_F(PreheatHistoryTest, AnEmptyClassIsInterpolatedBetweenItsFilledNeighbours) {
  std::vector<PreheatHistoryRecord> records;
  for (int i = 0; i < 6; ++i) {
    records.push_back(Pre("19/01/10", -20));  // class 6 at width 5
    records.back().fittedTimeConst = 100;
    records.push_back(Pre("19/01/11", 0));  // class 10
    records.back().fittedTimeConst = 300;
  }
  WriteHistory(records);
  host.state.control.exteriorTemp = -10;  // class 8, halfway
  Read();
  EXPECT_EQ(learning().currentClass, 8);
  EXPECT_FLOAT_EQ(learning().timeConst, 200);
  EXPECT_EQ(host.state.control.planFlag, 8);
}

// Below -50 class 0; above the last class, the last.
TEST_F(PreheatHistoryTest, WindChillBeyondTheClassesIsClamped) {
  for (float windChill : {-70.0f, 80.0f}) {
    std::vector<PreheatHistoryRecord> records(12, Pre("19/01/10", windChill));
    for (PreheatHistoryRecord& r : records) r.fittedTimeConst = std::fabs(windChill);
    WriteHistory(records);
    host.state.control.exteriorTemp = windChill;
    Read();
    EXPECT_EQ(learning().currentClass, windChill < 0 ? 0 : learning().classTable.Rows()) << windChill;
    EXPECT_FLOAT_EQ(learning().timeConst, std::fabs(windChill)) << windChill;
  }
}

TEST_F(PreheatHistoryTest, DamagedRecordsAreLeftOut) {
  std::vector<PreheatHistoryRecord> records(12, Pre("19/01/10"));
  records[0].fittedTimeConst = std::numeric_limits<float>::quiet_NaN();
  records[1].slope = std::numeric_limits<float>::infinity();
  records[2].actualSeconds = -600;
  WriteHistory(records);
  Read();
  EXPECT_EQ(learning().selectedCount, 9);
  EXPECT_TRUE(std::isfinite(learning().timeConst));
  EXPECT_TRUE(std::isfinite(learning().slope));
  EXPECT_TRUE(std::isfinite(learning().ceilingTemp));
}

TEST_F(PreheatHistoryTest, APartialRecordIsKeptAsideAndCutOff) {
  WriteHistory({Pre("19/01/10"), Pre("19/01/11")});
  std::string bytes = ReadFileBytes(host.DataFile("PREHEAT.DAT")) + "torn";
  WriteFileBytes(host.DataFile("PREHEAT.DAT"), bytes);
  Read();
  EXPECT_EQ(ReadFileBytes(host.DataFile("PREHEAT.DAT.damaged")), bytes);
  EXPECT_EQ(learning().historyCount, 2);
  EXPECT_EQ(ReadFileBytes(host.DataFile("PREHEAT.DAT")).size(), 2 * kPreheatRecordLength);
  EXPECT_NE(host.console.find("PREHEAT.DAT"), std::string::npos);
}

TEST_F(PreheatHistoryTest, AppendGoesAfterTheLastRecordWhateverTheCountOverride) {
  const std::string before = WriteHistory({Pre("19/01/10"), Pre("19/01/11"), Pre("19/01/12")});
  WriteSettings("ROF(2)=1\r\n");
  Read();
  EXPECT_EQ(learning().historyCount, 1);
  const std::string added = EncodePreheatRecord(Pre("19/01/15"));
  learning().preheatRecord = Record(kPreheatRecordLength, added);
  AppendPreheatRecord(LearningPartsOf(host), LearningServicesOf(host));
  EXPECT_EQ(ReadFileBytes(host.DataFile("PREHEAT.DAT")), before + added);
  EXPECT_EQ(learning().lastRecord, 4);
}

}  // namespace
}  // namespace kelvora::testing
