// The drop rows of a set-back: one each time the interior has fallen by
// another tenth, as the "Interior Temp Drop Stats" list shows them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Monitor/learning/estimate.h"
#include "Monitor/reports/stat_lists.h"
#include "tests/support/test_host.h"

namespace kelvora::testing {
namespace {

// The time column of the drop list after one evaluation a minute at each of `interiors`.
std::vector<std::string> DropRowTimes(const std::vector<float>& interiors) {
  TestHost host;
  RunState& state = host.state;
  state.control.exteriorTemp = -5;
  state.clock.clockSeconds = 79200;
  for (float interior : interiors) {
    state.control.interiorTemp = interior;
    EvaluateModels(LearningPartsOf(host));
    state.clock.clockSeconds += 60;
  }
  std::vector<std::string> shown;
  for (const auto& row : BuildStatList(ListKind::kDropSteps, ReportPartsOf(state)).rows)
    shown.push_back(row[1]);
  return shown;
}

TEST(DropStepsTest, ARiseBelowTheStartAddsNoRowAndARiseToItStartsAfresh) {
  // 19.95 at 22:02 is back above the second row but still below the start: no row.
  EXPECT_EQ(DropRowTimes({20.0f, 19.9f, 19.95f, 19.8f}),
            (std::vector<std::string>{"22:00:00", "22:01:00", "22:03:00"}));
  // Back at the start's 20.0 the drop begins again from its first row.
  EXPECT_EQ(DropRowTimes({20.0f, 19.9f, 20.0f}), (std::vector<std::string>{"22:02:00"}));
}

}  // namespace
}  // namespace kelvora::testing
