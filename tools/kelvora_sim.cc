// kelvora-sim: the whole program in simulation on a virtual clock, days in
// seconds. Message boxes take their default button and are logged, with the
// console text, on standard error; the summary goes to standard output.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/simulator.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  for (const std::string& argument : arguments) {
    if (argument == "--help" || argument == "-h") {
      std::fputs(kelvora::SimulationUsage().c_str(), stdout);
      return 0;
    }
  }
  kelvora::SimulationOptions options;
  std::string error;
  if (!kelvora::ParseSimulationArguments(arguments, &options, &error)) {
    std::fprintf(stderr, "kelvora-sim: %s\n%s", error.c_str(), kelvora::SimulationUsage().c_str());
    return 2;
  }
  std::error_code ignored;
  if (!std::filesystem::is_directory(options.home, ignored)) {
    std::fprintf(stderr, "kelvora-sim: the program directory %s does not exist\n", options.home.c_str());
    return 2;
  }
  kelvora::ConsoleUserInterface ui(stdin, stderr, stderr, /*interactive=*/false);
  kelvora::SimulationSummary summary = kelvora::RunSimulation(options, ui);
  if (!summary.error.empty()) {
    std::fprintf(stderr, "kelvora-sim: %s\n", summary.error.c_str());
    return summary.exitStatus;
  }
  std::fputs(kelvora::SummaryText(summary).c_str(), stdout);
  return summary.exitStatus;
}
