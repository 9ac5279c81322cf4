#include "Monitor/learning/learning_log.h"

#include <gtest/gtest.h>

#include "tests/support/test_host.h"

namespace kelvora::testing {
namespace {

TEST(LearningLogTest, TheEndOfAPreheatCompletesTheLineInItsZones) {
  TestHost host;
  host.state.control.heatPumpHold = 1;
  host.state.learning.stepIndex = 25;
  host.state.statistics.energyToday = 12.5f;
  host.state.learning.setbackStartEnergy = 2.5f;
  WriteFileBytes(host.DataFile("PH_HP.LOG"), "\r\n 1");
  CompleteLearningLog(LearningPartsOf(host), LearningServicesOf(host));
  std::string log = ReadFileBytes(host.DataFile("PH_HP.LOG"));
  EXPECT_EQ(log.substr(0, 18), "\r\n 1" + std::string(12, ' ') + " 1");
  EXPECT_EQ(log.substr(log.size() - 3), " 10");
}

}  // namespace
}  // namespace kelvora::testing
