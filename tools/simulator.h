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
#include "platform/file_faults.h"
#include "platform/user_interface.h"
#include "tools/physical_house.h"
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
  std::string housePath;          // a house file: the physical house behind a card
  // Test seam: called after every tick with the run state and the physical
  // house (null for the built-in one).
  std::function<void(const RunState&, const PhysicalHouse*)> afterTickForTesting;
  // Test seam: the window and the day files refreshed as in a watched run.
  bool watchedForTesting = false;
  // The process kills itself (SIGKILL) just before this file operation,
  // counted from 1 over the whole run: a crash at a chosen moment. 0: never.
  long killAtOperation = 0;
  // Test seam: sees every file operation, numbered from 1, before it runs
  // and makes it fail by returning the errno.
  FileFaults::OperationHook fileHookForTesting;
  std::string listen;  // HOST:PORT to serve the page on; empty: no page
  double speed = 0;    // times real time; 0: as fast as it can
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
  std::string error;  // why the simulation could not start
  bool cardDetected = false;
  long fileOperations = 0;  // every file operation of the run, failed ones included
  std::string stopReason;   // why the run stopped through the error path
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
