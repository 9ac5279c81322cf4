// Runs the whole program - start-up, `initialise`, control passes and the
// midnight closes - in simulation on a virtual clock, as fast as it can, in
// a given program directory. Only the clock, the card and the person at the
// screen differ from a real run.
#ifndef KELVORA_TOOLS_SIMULATOR_H_
#define KELVORA_TOOLS_SIMULATOR_H_

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Monitor/Monitor.h"
#include "platform/clock.h"
#include "platform/user_interface.h"
#include "tools/preheat_report.h"

namespace kelvora {

struct SimulationOptions {
  std::string home;  // the program directory: "Settings.ini" and "DATA"
  LocalTime start;
  double days = 1;
  uint32_t seed = 1;
  bool quit = false;              // end through Quit instead of a final save
  std::string snapshotPath;       // where the last display snapshot goes, as JSON
  std::string preheatReportPath;  // where the pre-heat report goes, as CSV
  std::string listen;             // HOST:PORT to serve the page on; empty: no page
  double speed = 0;               // times real time; 0: as fast as it can
  bool daysGiven = false;
};

// What a run with a page does around the program: `serve` is called once the
// program exists and before it starts (false ends the run at once, with
// exit status 1); `ended` after the run.
struct SimulationHooks {
  std::function<bool(Program&)> serve;
  std::function<void()> ended;
};

struct SimulationSummary {
  double simulatedSeconds = 0;
  long passes = 0;
  long heatingCycles = 0;  // burner starts
  double energyKWh = 0;
  int closedDays = 0;
  double wallSeconds = 0;
  int exitStatus = 0;
  std::vector<PreheatLine> preheats;
};

// Reads the command line; false with `error` set on a bad or missing option.
bool ParseSimulationArguments(const std::vector<std::string>& arguments, SimulationOptions* options,
                              std::string* error);

// The options a person can give, for --help and errors.
std::string SimulationUsage();

// Message boxes go to `ui`, which is expected to answer by itself.
SimulationSummary RunSimulation(const SimulationOptions& options, UserInterface& ui,
                                const SimulationHooks& hooks = {});

std::string SummaryText(const SimulationSummary& summary);

}  // namespace kelvora

#endif  // KELVORA_TOOLS_SIMULATOR_H_
