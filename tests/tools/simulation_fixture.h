// A copy of the example home in a scratch directory, and the simulator run
// on it with the arguments a test gives.
#ifndef KELVORA_TESTS_TOOLS_SIMULATION_FIXTURE_H_
#define KELVORA_TESTS_TOOLS_SIMULATION_FIXTURE_H_

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/fakes.h"
#include "tools/simulator.h"

namespace kelvora::testing {

inline std::string SourceDir() {
  const char* source = std::getenv("KELVORA_SOURCE_DIR");
  return source != nullptr ? source : ".";
}

inline void CopyExampleHome(const std::string& to) {
  std::filesystem::copy(SourceDir() + "/examples/home", to, std::filesystem::copy_options::recursive);
}

class SimulationFixture : public ::testing::Test {
 protected:
  SimulationFixture() { CopyExampleHome(home.path()); }

  // The options of a run on `home` with `arguments` after "--home".
  SimulationOptions Options(const std::vector<std::string>& arguments) {
    std::vector<std::string> all = {"--home", home.path()};
    all.insert(all.end(), arguments.begin(), arguments.end());
    SimulationOptions options;
    std::string error;
    EXPECT_TRUE(ParseSimulationArguments(all, &options, &error)) << error;
    return options;
  }
  SimulationSummary Run(const std::vector<std::string>& arguments) {
    return RunSimulation(Options(arguments), ui);
  }
  std::string Data(const std::string& name) const { return ReadFileBytes(home.path() + "/DATA/" + name); }

  TempDir home;
  ScriptedUi ui;
};

}  // namespace kelvora::testing

#endif  // KELVORA_TESTS_TOOLS_SIMULATION_FIXTURE_H_
