#include "Monitor/control/cycle_log.h"

#include <gtest/gtest.h>

#include "tests/support/test_host.h"

namespace kelvora::testing {
namespace {

TEST(CycleLogTest, ADayWithMoreCyclesThanTheTableHoldsKeepsEveryRow) {
  TestHost host;
  ControlState& control = host.state.control;
  for (int row = 1; row <= 1200; ++row) {
    StartCycleRow(control, row % 2 == 1 ? CycleCode::kHeating : CycleCode::kOff, static_cast<float>(row), 20,
                  -5);
  }
  EXPECT_EQ(control.cycleIndex, 1200);
  EXPECT_GE(control.cycleLog.Rows(), 1200);
  EXPECT_EQ(control.cycleLog(1, kCycleStart), 1.0f);
  EXPECT_EQ(control.cycleLog(501, kCycleStart), 501.0f);
  EXPECT_EQ(control.cycleLog(1200, kCycleState), 0.0f);
}

}  // namespace
}  // namespace kelvora::testing
