#include "Monitor/statistics/day_statistics.h"

#include <gtest/gtest.h>

#include "tests/support/test_host.h"

namespace kelvora::testing {
namespace {

class DayStatisticsTest : public ::testing::Test {
 protected:
  ControlState& control() { return host.state.control; }
  void Update() {
    UpdateDayStatistics(control(), host.state.clock.elapsedSeconds, host.state.statistics.day);
  }

  TestHost host;
};

TEST_F(DayStatisticsTest, DayStatisticsWeighEachValueByItsSeconds) {
  StatisticsState& statistics = host.state.statistics;
  control().interiorTemp = 20;
  Update();  // first pass of the day, no time yet
  control().interiorTemp = 23;
  host.state.clock.elapsedSeconds = 2;
  Update();
  const Statistic& interior = statistics.day.interior;
  EXPECT_FLOAT_EQ(interior.sum / statistics.day.dayWeightSeconds, 22);
  EXPECT_FLOAT_EQ(interior.minimum, 20);
  EXPECT_FLOAT_EQ(interior.maximum, 23);
}

TEST_F(DayStatisticsTest, WindMaximumWaitsForAFullWindRing) {
  control().capacities.wind = 10;
  control().windRing.Dimension(10);
  control().windCursor.count = 9;
  control().windNow = 30;
  control().windHour = 30;
  host.state.statistics.day.wind.maximum = 0;
  Update();
  EXPECT_EQ(host.state.statistics.day.wind.maximum, 0);
  control().windCursor.count = 10;
  Update();
  EXPECT_FLOAT_EQ(host.state.statistics.day.wind.maximum, 30);
}

}  // namespace
}  // namespace kelvora::testing
