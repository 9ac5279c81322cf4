#include "Monitor/reports/season_view.h"

#include "Monitor/learning/preheat_history.h"
#include "Monitor/statistics/season_file.h"
#include "gtest/gtest.h"
#include "tests/support/test_host.h"

namespace kelvora {
namespace {

class SeasonViewTest : public ::testing::Test {
 protected:
  // The record the midnight close writes for `date` with `energy` kWh.
  std::string Day(const std::string& date, float energy, float exteriorMean) {
    RunState day;
    day.clock.todayDate = date;
    day.statistics.heatingSeconds = 5400;
    day.statistics.energyToday = energy;
    day.statistics.day.dayWeightSeconds = 2;
    day.statistics.day.exterior.sum = 2 * exteriorMean;
    return DayRecordBytes(StatisticsPartsOf(day));
  }

  testing::TestHost host;
};

TEST_F(SeasonViewTest, DaysOfArchivedSeasonsComeFirstAndEachDayIsDecodedFromItsRecord) {
  host.state.clock.todayDate = "19/07/03";
  host.state.settings.KWh_Cost = 0.1f;
  testing::WriteFileBytes(host.DataFile("History/TEMP.18"), Day("18/06/30", 40, -2.5f));
  testing::WriteFileBytes(host.DataFile("History/TEMP.19"), Day("19/06/30", 30, 4));
  // The current season, with a record cut short by a failed write at its end.
  testing::WriteFileBytes(host.DataFile("TEMP.DAT"),
                          Day("19/07/01", 20, 8) + Day("19/07/02", 25, 6).substr(0, 30));
  SeasonRecords records = ReadSeasonRecords(ReportPartsOf(host.state), host.Files());
  ASSERT_EQ(records.days.size(), 3u);
  EXPECT_EQ(records.days[0].file, "History/TEMP.18");
  EXPECT_EQ(records.days[0].record.date, "18/06/30");
  EXPECT_FLOAT_EQ(records.days[0].record.exteriorMean, -2.5f);
  EXPECT_EQ(records.days[2].file, "TEMP.DAT");
  EXPECT_FLOAT_EQ(records.days[2].cost, 2.0f);
  EXPECT_EQ(DaysCsv(records).substr(0, DaysCsv(records).find('\n')),
            "file,date,heating_hours,energy_kwh,cost,exterior_min_c,exterior_mean_c,exterior_max_c,"
            "wind_min_kmh,wind_mean_kmh,wind_max_kmh,sun_hour_max_pct,sun_mean_pct,sun_max_pct");
  EXPECT_NE(DaysCsv(records).find("\nTEMP.DAT,2019-07-01,1.500,20.000,2.00,"), std::string::npos);
}

TEST_F(SeasonViewTest, APreheatArrivesAtItsStartPlusItsDuration) {
  PreheatHistoryRecord r;
  r.date = "19/07/02";
  r.startTime = 5 * 3600;
  r.actualSeconds = 5400;
  r.programmedTime = 6 * 3600 + 1800;
  r.energyUsed = 12.5f;
  testing::WriteFileBytes(host.DataFile(kPreheatHistoryFile), EncodePreheatRecord(r));
  SeasonRecords records = ReadSeasonRecords(ReportPartsOf(host.state), host.Files());
  ASSERT_EQ(records.preheats.size(), 1u);
  EXPECT_FLOAT_EQ(records.preheats[0].lateMinutes, 0);
  EXPECT_EQ(
      PreheatsCsv(records),
      "file,date,programmed,start,arrival,late_minutes,start_interior_c,end_interior_c,start_exterior_c,"
      "energy_kwh,heat_pump_held\n"
      "PREHEAT.DAT,2019-07-02,06:30,05:00,06:30,0.0,0.00,0.00,0.00,12.500,0\n");
}

}  // namespace
}  // namespace kelvora
