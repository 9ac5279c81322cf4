#include "Monitor/statistics/season_file.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "Functions/record.h"
#include "Monitor/statistics/accounting.h"
#include "tests/support/test_host.h"

namespace kelvora::testing {
namespace {

class SeasonFileTest : public ::testing::Test {
 protected:
  // A season file whose last record is dated `lastDate`, opened on `today`.
  void StartSeason(const std::string& lastDate, const std::string& today) {
    host.state.clock.todayDate = "19/03/01";
    std::string first = DayRecordBytes(StatisticsPartsOf(host.state));
    host.state.clock.todayDate = lastDate;
    WriteFileBytes(host.DataFile("TEMP.DAT"), first + DayRecordBytes(StatisticsPartsOf(host.state)));
    host.state.clock.todayDate = today;
  }
  std::string Data(const std::string& name) { return ReadFileBytes(host.DataFile(name)); }

  TestHost host;
};

TEST_F(SeasonFileTest, OnFirstJulyTheEndedSeasonMovesIntoHistory) {
  StartSeason("19/06/30", "19/07/01");
  std::string season = Data("TEMP.DAT");
  WriteFileBytes(host.DataFile("PREHEAT.DAT"), "pre-heat history");
  WriteFileBytes(host.DataFile("PH_HP.LOG"), "heat pump log");
  CheckTempFile(StatisticsPartsOf(host), StatisticsServicesOf(host));
  EXPECT_EQ(Data("History/TEMP.19"), season);
  EXPECT_EQ(Data("History/PREHEAT.19"), "pre-heat history");
  EXPECT_EQ(Data("History/PH_HP.19"), "heat pump log");
  EXPECT_FALSE(host.Files().Exists("PH_HP.LOG"));
  EXPECT_EQ(Data("TEMP.DAT"), "");
  EXPECT_EQ(host.state.statistics.tempRecordCount, 0);
  EXPECT_TRUE(host.Files().IsOpen(host.state.statistics.tempFile));
}

// After a first-July record on the second, after a record later than today
// (a clock set back) and after one with no real date, the season goes on.
TEST_F(SeasonFileTest, OnlyARealDateEarlierInTheSeasonYearEndsTheSeason) {
  for (auto [last, today] :
       {std::pair{"19/07/01", "19/07/02"}, {"19/01/19", "19/01/18"}, {"99/99/99", "19/01/18"}}) {
    StartSeason(last, today);
    CheckTempFile(StatisticsPartsOf(host), StatisticsServicesOf(host));
    EXPECT_EQ(host.state.statistics.tempRecordCount, 2) << last;
    EXPECT_FALSE(host.Files().Exists("History/TEMP.19")) << last;
    EXPECT_FALSE(host.Files().Exists("History/TEMP.99")) << last;
  }
  EXPECT_NE(host.console.find("record 2 has no date"), std::string::npos);
}

TEST_F(SeasonFileTest, AnArchiveAlreadyInHistoryIsNeverReplaced) {
  WriteFileBytes(host.DataFile("History/TEMP.19"), "an earlier season");
  StartSeason("19/06/30", "19/07/01");
  std::string season = Data("TEMP.DAT");
  CheckTempFile(StatisticsPartsOf(host), StatisticsServicesOf(host));
  EXPECT_EQ(Data("History/TEMP.19"), "an earlier season");
  EXPECT_EQ(Data("History/TEMP.19-2"), season);
}

TEST_F(SeasonFileTest, ADamagedSeasonFileKeepsItsWholeRecordsAndACopyOfAll) {
  StartSeason("19/01/10", "19/01/11");
  std::string damaged = Data("TEMP.DAT") + "torn";
  WriteFileBytes(host.DataFile("TEMP.DAT"), damaged);
  CheckTempFile(StatisticsPartsOf(host), StatisticsServicesOf(host));
  EXPECT_EQ(Data("TEMP.DAT.damaged"), damaged);
  EXPECT_EQ(Data("TEMP.DAT"), damaged.substr(0, 104));
  EXPECT_EQ(host.state.statistics.tempRecordCount, 2);
  EXPECT_NE(host.console.find("TEMP.DAT.damaged"), std::string::npos);
}

TEST_F(SeasonFileTest, TheDayRecordIsTheDateThenElevenSinglesInFileOrder) {
  StatisticsState& s = host.state.statistics;
  host.state.clock.todayDate = "19/06/15";
  s.heatingSeconds = 3600;
  s.energyToday = 12.5f;
  s.day.dayWeightSeconds = 100;
  s.day.exterior = {-4, -250, 1};
  s.day.wind = {0, 1000, 30};
  s.day.sun = {0, 5000, 90};
  s.day.sunHourMax = 75;
  std::string expected = "19/06/15";
  for (float value : {3600.0f, 12.5f, -4.0f, -2.5f, 1.0f, 0.0f, 10.0f, 30.0f, 75.0f, 50.0f, 90.0f}) {
    std::array<uint8_t, 4> bytes = Mks(value);
    expected.append(bytes.begin(), bytes.end());
  }
  EXPECT_EQ(DayRecordBytes(StatisticsPartsOf(host.state)), expected);
}

}  // namespace
}  // namespace kelvora::testing
