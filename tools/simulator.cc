#include "tools/simulator.h"

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <thread>

#include "Monitor/Monitor.h"
#include "Monitor/ui/display.h"
#include "platform/ports.h"
#include "platform/posix_file_layer.h"
#include "platform/private_profile.h"
#include "tools/physical_house.h"

namespace kelvora {
namespace {

constexpr std::chrono::milliseconds kTick{500};
constexpr double kMaxDays = 3660;  // ten years: beyond that a typo is likelier than a wish
constexpr double kMaxSpeed = 1e6;

bool ParseNumber(const std::string& text, double* value) {
  char* end = nullptr;
  *value = std::strtod(text.c_str(), &end);
  return !text.empty() && end == text.c_str() + text.size() && std::isfinite(*value);
}

bool ApplyOption(const std::string& name, const std::string& value, SimulationOptions* options,
                 std::string* error) {
  double number = 0;
  if (name == "--home") {
    options->home = value;
  } else if (name == "--start") {
    if (!ParseLocalTime(value, &options->start))
      *error = "--start wants \"YYYY-MM-DD HH:MM:SS\", not \"" + value + "\"";
  } else if (name == "--days") {
    if (!ParseNumber(value, &number) || number <= 0 || number > kMaxDays) {
      *error = "--days wants a number of days above 0 and at most 3660, not \"" + value + "\"";
    }
    options->days = number;
    options->daysGiven = true;
  } else if (name == "--listen") {
    options->listen = value;
  } else if (name == "--speed") {
    if (!ParseNumber(value, &number) || number <= 0 || number > kMaxSpeed) {
      *error = "--speed wants a factor above 0 and at most 1000000, not \"" + value + "\"";
    }
    options->speed = number;
  } else if (name == "--seed") {
    if (!ParseNumber(value, &number) || number < 0 || number > 4294967295.0 || number != std::floor(number)) {
      *error = "--seed wants a whole number from 0 to 4294967295, not \"" + value + "\"";
    }
    options->seed = static_cast<uint32_t>(number);
  } else if (name == "--snapshot") {
    options->snapshotPath = value;
  } else if (name == "--house") {
    options->housePath = value;
  } else if (name == "--preheat-report") {
    options->preheatReportPath = value;
  } else if (name == "--kill-at-operation") {
    if (!ParseNumber(value, &number) || number < 1 || number > 1e9 || number != std::floor(number)) {
      *error = "--kill-at-operation wants a whole number from 1, not \"" + value + "\"";
    }
    options->killAtOperation = static_cast<long>(number);
  } else {
    *error = "unknown option " + name;
  }
  return error->empty();
}

LocalTime NowLocal() {
  SystemClock clock;
  LocalTime now = clock.Now();
  now.millisecond = 0;
  return now;
}

// The clock's time as milliseconds, for comparing two readings.
int64_t Milliseconds(const LocalTime& t) { return std::llround(LocalSeconds(t) * 1000); }

// The house file's house, or an error naming what is wrong with it.
std::unique_ptr<PhysicalHouse> MakeHouse(const SimulationOptions& options, std::string* error) {
  HouseFile file;
  std::optional<Weather> weather;
  if (!ReadHouseFile(options.housePath, &file, error) || !MakeWeather(file, &weather, error)) return nullptr;
  return std::make_unique<PhysicalHouse>(file.house, std::move(*weather), LocalSeconds(options.start),
                                         options.seed);
}

// A card is there, so the program must not be told to simulate anyway.
bool LeaveSimulationMode(const std::string& home, std::string* error) {
  std::string path = home + "/Settings.ini";
  std::string bytes;
  if (std::ifstream in{path, std::ios::binary}) bytes.assign(std::istreambuf_iterator<char>(in), {});
  std::string changed = SetProfileString(bytes, "System", "Sim_Mode", "0");
  if (changed == bytes) return true;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << changed;
  if (!out) *error = "cannot set Sim_Mode=0 in " + path;
  return static_cast<bool>(out);
}

class Observer {
 public:
  explicit Observer(SimulationSummary& summary) : summary_(summary) {}

  void DayClosed(const RunState& state) {
    summary_.energyKWh += state.statistics.energyToday;
    ++summary_.closedDays;
  }
  void AfterTick(const RunState& state) {
    bool on = state.control.heatState == HeatState::kOn;
    if (on && !burnerOn_) ++summary_.heatingCycles;
    burnerOn_ = on;
    lastEnergy_ = state.statistics.energyToday;
  }
  double LastEnergy() const { return lastEnergy_; }

 private:
  SimulationSummary& summary_;
  bool burnerOn_ = false;
  double lastEnergy_ = 0;
};

void WritePreheatReport(const std::vector<PreheatLine>& lines, const std::string& path, UserInterface& ui) {
  if (path.empty()) return;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << PreheatReporter::CsvHeader();
  for (const PreheatLine& line : lines) out << PreheatReporter::CsvLine(line);
  if (!out) ui.ConsoleWrite("The pre-heat report could not be written to " + path + "\n");
}

void WriteSnapshot(Program& program, const std::string& path, UserInterface& ui) {
  if (path.empty()) return;
  program.RefreshDisplayNow();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << SnapshotJson(program.Snapshot()) << "\n";
  if (!out) ui.ConsoleWrite("The snapshot could not be written to " + path + "\n");
}

// Arrival errors of the pre-heats, week by week.
std::string WeekTable(const std::vector<PreheatWeek>& weeks) {
  if (weeks.empty()) return "";
  std::string table = "week  pre-heats  median |error| min  largest |error| min  late\n";
  for (const PreheatWeek& w : weeks) {
    char line[96];
    std::snprintf(line, sizeof line, "%4d  %9d  %18.1f  %19.1f  %4d\n", w.week + 1, w.preheats, w.medianError,
                  w.largestError, w.late);
    table += line;
  }
  return table;
}

// Holds the run to `speed` times real time; 0 runs as fast as it can.
void Pace(double speed, std::chrono::steady_clock::time_point wallStart, double simulatedMs) {
  if (speed <= 0) return;
  auto due = wallStart + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                             std::chrono::duration<double, std::milli>(simulatedMs / speed));
  std::this_thread::sleep_until(due);
}

}  // namespace

std::string SimulationUsage() {
  return "usage: kelvora-sim --home DIR [options]\n"
         "Runs the whole program on a virtual clock, as fast as it can, in the program directory DIR.\n"
         "  --home DIR             the program directory: its Settings.ini and DATA/ (required)\n"
         "  --start \"YYYY-MM-DD HH:MM:SS\"  when the simulation begins (default: now)\n"
         "  --days N               how many days to simulate, a fraction allowed (default 1)\n"
         "  --seed N               varies the random numbers of the house and the program (default 1)\n"
         "  --house FILE           heat the physical house of this house file through a card,\n"
         "                         instead of the built-in simulated house (sets Sim_Mode=0 in DIR)\n"
         "  --quit                 end through the File menu's Quit instead of a final save\n"
         "  --snapshot FILE        write the main window's last values there, as JSON\n"
         "  --preheat-report FILE  write one CSV line per pre-heat there\n"
         "  --kill-at-operation N  kill the process just before its Nth file operation (crash tests)\n"
         "  --listen HOST:PORT     serve the page over the run until the page quits it or --days\n"
         "                         (default then: no limit) are over\n"
         "  --speed X              with --listen: run at X times real time (default: as fast as it can)\n"
         "  --help, -h             show this text\n";
}

bool ParseSimulationArguments(const std::vector<std::string>& arguments, SimulationOptions* options,
                              std::string* error) {
  error->clear();
  options->start = NowLocal();
  for (size_t i = 0; i < arguments.size() && error->empty(); ++i) {
    const std::string& name = arguments[i];
    if (name == "--quit") {
      options->quit = true;
      continue;
    }
    if (i + 1 >= arguments.size()) {
      *error = name.rfind("--", 0) == 0 ? name + " wants a value" : "unexpected argument " + name;
      break;
    }
    ApplyOption(name, arguments[++i], options, error);
  }
  if (error->empty() && options->home.empty()) *error = "--home is required";
  if (error->empty() && options->speed > 0 && options->listen.empty()) *error = "--speed goes with --listen";
  if (!options->listen.empty() && !options->daysGiven) options->days = kMaxDays;
  return error->empty();
}

SimulationSummary RunSimulation(const SimulationOptions& options, UserInterface& ui,
                                const SimulationHooks& hooks) {
  SimulationSummary summary;
  Observer observer(summary);
  PreheatReporter preheats;
  VirtualClock clock(options.start);
  NullPorts noCard;
  std::unique_ptr<PhysicalHouse> house;
  if (!options.housePath.empty()) {
    house = MakeHouse(options, &summary.error);
    if (house == nullptr || !LeaveSimulationMode(options.home, &summary.error)) {
      summary.exitStatus = 2;
      return summary;
    }
  }
  PortAccess& ports = house ? static_cast<PortAccess&>(*house) : noCard;
  // Every file operation is counted, for the summary, and can be failed or
  // killed at from outside.
  FileFaults faults;
  faults.SetOperationHook([&options](int number, FileOp op, const std::string& path) {
    if (number == options.killAtOperation) ::kill(::getpid(), SIGKILL);
    return options.fileHookForTesting ? options.fileHookForTesting(number, op, path) : 0;
  });
  Environment environment{clock,
                          ports,
                          ui,
                          options.home,
                          /*installSignalHandlers=*/false,
                          options.seed,
                          /*makeLearning=*/{},
                          /*onDayClosed=*/[&observer](const RunState& state) { observer.DayClosed(state); }};
  environment.makeFiles = [&faults](TrapHandler& handler) {
    return std::make_unique<PosixFileLayer>(handler, &faults);
  };
  Program program(environment);
  // Nobody watches the window or the day files until the run ends.
  // A kill run must crash amid the day files' real writes, and a served run
  // has its page watching: both are watched.
  bool served = !options.listen.empty() || hooks.serve;
  program.SetUnwatched(!options.watchedForTesting && options.killAtOperation == 0 && !served);
  // Days of files in seconds: waiting for the disk at every save would
  // measure the disk, not the program.
  program.Files().SetSyncOnCommit(false);
  if (hooks.serve && !hooks.serve(program)) {
    summary.exitStatus = 1;
    return summary;
  }
  auto wallStart = std::chrono::steady_clock::now();
  int64_t startMs = Milliseconds(options.start);
  auto endMs = startMs + static_cast<int64_t>(std::llround(options.days * 86400000.0));
  if (house) house->UseCalibration(&program.State().settings);
  try {
    program.StartUp();
    program.OpenMainWindow();
    summary.cardDetected = !program.State().card.cardKind.empty();
    while (Milliseconds(clock.Now()) < endMs) {
      clock.SleepFor(kTick);
      int64_t nowMs = Milliseconds(clock.Now());
      if (house) house->AdvanceTo(static_cast<double>(nowMs) / 1000.0);
      Pace(options.speed, wallStart, static_cast<double>(Milliseconds(clock.Now()) - startMs));
      program.Tick();
      observer.AfterTick(program.State());
      double interior = house ? house->Interior() : program.State().control.interiorTemp;
      preheats.AfterTick(program.State(), static_cast<double>(nowMs - startMs) / 1000.0, interior);
      if (options.afterTickForTesting) options.afterTickForTesting(program.State(), house.get());
    }
    WriteSnapshot(program, options.snapshotPath, ui);
    summary.energyKWh += observer.LastEnergy();
    if (options.quit) program.Quit();
    program.SaveDayState();
  } catch (const ProgramExit& exit) {
    summary.exitStatus = exit.status();
    summary.stopReason = exit.reason();
  }
  program.FlushDaySaves();
  if (hooks.ended) hooks.ended();
  preheats.Finish();
  summary.preheats = preheats.Lines();
  WritePreheatReport(summary.preheats, options.preheatReportPath, ui);
  summary.passes = program.PassCount();
  summary.fileOperations = faults.OperationNumber();
  summary.simulatedSeconds = static_cast<double>(Milliseconds(clock.Now()) - startMs) / 1000.0;
  summary.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
  return summary;
}

std::string SummaryText(const SimulationSummary& s) {
  char text[512];
  double rate = s.wallSeconds > 0 ? s.passes / s.wallSeconds : 0;
  std::snprintf(text, sizeof text,
                "simulated time   %.0f s (%.2f days)\n"
                "control passes   %ld\n"
                "days closed      %d\n"
                "heating cycles   %ld\n"
                "file operations  %ld\n"
                "energy           %.3f kWh\n"
                "wall time        %.3f s\n"
                "passes per wall second  %.0f (%.1f simulated days per wall second)\n",
                s.simulatedSeconds, s.simulatedSeconds / 86400.0, s.passes, s.closedDays, s.heatingCycles,
                s.fileOperations, s.energyKWh, s.wallSeconds, rate, rate / 86400.0);
  std::string summary = text;
  if (s.exitStatus != 0) {
    summary += "stopped          " + (s.stopReason.empty() ? std::string("by an error") : s.stopReason) +
               ", exit status " + std::to_string(s.exitStatus) + "\n";
  }
  summary += WeekTable(SummariseWeeks(s.preheats));
  // The learning earns its keep when it beats the best single lead time that
  // hindsight could have chosen for the weeks after it settled.
  constexpr int kSettledWeek = 2;
  bool settled = !s.preheats.empty() && s.preheats.back().week >= kSettledWeek;
  if (!settled) return summary;
  double lead = BestFixedLead(s.preheats, kSettledWeek);
  std::snprintf(text, sizeof text, "the best fixed lead in hindsight (from week %d on): %.1f min\n",
                kSettledWeek + 1, lead);
  return summary + text + WeekTable(SummariseWeeks(WithFixedLead(s.preheats, lead)));
}

}  // namespace kelvora
