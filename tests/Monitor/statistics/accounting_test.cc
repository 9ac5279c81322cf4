#include "Monitor/statistics/accounting.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "Monitor/control/cycle_log.h"
#include "Monitor/statistics/day_files.h"
#include "tests/support/test_host.h"

namespace kelvora::testing {
namespace {

constexpr uint8_t kStage1 = 4;

class AccountingTest : public ::testing::Test {
 protected:
  AccountingTest() {
    ResetDayState(StatisticsPartsOf(host));
    host.state.clock.todayDate = "19/06/15";
    host.state.clock.clockSeconds = 50708;  // the test clock starts at 14:05:08
    StartCycleRow(host.state.control, CycleCode::kOff, 0, 20, 5);
    host.state.card.outputByte = kStage1;
  }

  // Sets the clock to `when` ("2019-06-15 14:05:09") and runs the step.
  AccountOutcome PassAt(const std::string& when) {
    LocalTime time;
    EXPECT_TRUE(ParseLocalTime(when, &time));
    host.Virtual().Set(time);
    return AccountPass(StatisticsPartsOf(host), StatisticsServicesOf(host));
  }
  float& Row(CycleColumn column) {
    return host.state.control.cycleLog(host.state.control.cycleIndex, column);
  }

  TestHost host;
  StatisticsState& stats = host.state.statistics;
};

TEST_F(AccountingTest, TwoPassesInOneSecondAccountOnlyOnce) {
  EXPECT_EQ(PassAt("2019-06-15 14:05:09"), AccountOutcome::kAccounted);
  EXPECT_EQ(AccountPass(StatisticsPartsOf(host), StatisticsServicesOf(host)), AccountOutcome::kSameSecond);
  EXPECT_FLOAT_EQ(stats.energyToday, 15.0f / 3600);
  EXPECT_EQ(Row(kCycleDuration), 1);
}

TEST_F(AccountingTest, AClockSetBackFreezesTheStampUntilTheClockPassesIt) {
  EXPECT_EQ(PassAt("2019-06-15 14:00:00"), AccountOutcome::kClockSetBack);
  EXPECT_EQ(host.state.clock.clockSeconds, 50708);
  EXPECT_EQ(stats.energyToday, 0);
  EXPECT_EQ(PassAt("2019-06-15 14:05:10"), AccountOutcome::kAccounted);
  EXPECT_EQ(host.state.clock.elapsedSeconds, 2);
}

TEST_F(AccountingTest, APassOverMidnightCreditsTheSecondsUpToMidnightToTheOldDay) {
  host.state.clock.clockSeconds = 86390;
  EXPECT_EQ(PassAt("2019-06-16 00:00:05"), AccountOutcome::kDayEnded);
  EXPECT_EQ(host.state.clock.clockSeconds, 0);
  EXPECT_EQ(host.state.clock.elapsedSeconds, 10);
  EXPECT_FLOAT_EQ(stats.energyToday, 10 * 15.0f / 3600);
}

TEST_F(AccountingTest, TheDayEndingPassMeasuresTheRegularDutyOverTheWholeDay) {
  host.state.card.outputByte = 0;
  host.state.clock.clockSeconds = 86399;
  stats.setbackSeconds = 43200;
  stats.energyToday = 27.9f * 6;  // half the duty over the 12 regular hours
  ASSERT_EQ(PassAt("2019-06-16 00:00:00"), AccountOutcome::kDayEnded);
  EXPECT_NEAR(stats.regularDuty, 50, 1e-3);
  EXPECT_NEAR(stats.savedEnergy, 27.9f * 6, 1e-3);
}

TEST_F(AccountingTest, TheFirstPassOfADayShowsNoUndefinedDutyOrShare) {
  host.state.control.setBackActive = 1;
  host.state.card.totalRatedPower = 0;  // and no time outside the set-back yet
  host.state.clock.clockSeconds = 0;
  ASSERT_EQ(PassAt("2019-06-15 00:00:01"), AccountOutcome::kAccounted);
  for (float value :
       {stats.setbackDuty, stats.regularDuty, stats.savedEnergy, stats.onPercent, stats.offPercent}) {
    EXPECT_TRUE(std::isfinite(value));
  }
  EXPECT_EQ(stats.regularDuty, 0);
  EXPECT_EQ(stats.offPercent, 100);
}

// The second fan speed and stage count as increments; a heat pump rated
// zero adds nothing.
TEST_F(AccountingTest, ThePowerOfTheOutputsAddsTheirRatings) {
  EXPECT_FLOAT_EQ(PowerOfOutputs(host.state.card, 1 | 2 | 4 | 8), 0.9f + 25.0f);
  EXPECT_FLOAT_EQ(PowerOfOutputs(host.state.card, 1 | 4 | 16), 0.225f + 15.0f + 2.0f);
  host.state.card.heatPumpPower = 0;
  EXPECT_FLOAT_EQ(PowerOfOutputs(host.state.card, 4 | 16), 15.0f);
}

TEST_F(AccountingTest, SavesOnceWhenAnOnPeriodReachesAFiveMinuteMark) {
  Row(kCycleState) = 1;
  stats.onSeconds = 298;
  for (const char* second : {"09", "10", "11", "12"}) {
    PassAt(std::string("2019-06-15 14:05:") + second);
  }
  EXPECT_EQ(stats.onTimeText, " 0:05:02");
  EXPECT_EQ(host.saves, 1);  // at 5:00, not at 4:59 nor again at 5:01 and 5:02
  stats.onSeconds = 598;
  PassAt("2019-06-15 14:06:13");
  EXPECT_EQ(host.saves, 2);  // the ten-minute mark, in a later clock minute
}

}  // namespace
}  // namespace kelvora::testing
