#include "tools/simulator.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <thread>

#include "Monitor/Monitor.h"
#include "Monitor/ui/display.h"
#include "platform/ports.h"

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
  } else if (name == "--preheat-report") {
    options->preheatReportPath = value;
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
int64_t Milliseconds(const LocalTime& t) {
  using namespace std::chrono;
  sys_days day = year_month_day{year{t.year}, month{static_cast<unsigned>(t.month)},
                                std::chrono::day{static_cast<unsigned>(t.day)}};
  return duration_cast<milliseconds>(day.time_since_epoch()).count() + SecondsOfDay(t) * 1000LL +
         t.millisecond;
}

class Observer {
 public:
  explicit Observer(SimulationSummary& summary) : summary_(summary) {}

  void DayClosed(const RunState& state) {
    summary_.energyKWh += state.statistics.energyToday;
    ++summary_.closedDays;
  }
  void AfterTick(const RunState& state) {
    bool on = state.control.heatState == "ON";
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

void WriteSnapshot(const Program& program, const std::string& path, UserInterface& ui) {
  if (path.empty()) return;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << SnapshotJson(program.Snapshot()) << "\n";
  if (!out) ui.ConsoleWrite("The snapshot could not be written to " + path + "\n");
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
  return "usage: kelvora-sim --home DIR [--start \"YYYY-MM-DD HH:MM:SS\"] [--days N] [--seed N]\n"
         "                   [--quit] [--snapshot FILE] [--preheat-report FILE]\n"
         "                   [--listen HOST:PORT [--speed X]]\n"
         "  --listen serves the page over the run, paced at X times real time (default: as\n"
         "  fast as it can), until the page quits it or --days (default: no limit) are over\n";
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
  NullPorts ports;
  Environment environment{clock,
                          ports,
                          ui,
                          options.home,
                          /*installSignalHandlers=*/false,
                          options.seed,
                          /*makeLearning=*/{},
                          /*onDayClosed=*/[&observer](const RunState& state) { observer.DayClosed(state); }};
  Program program(environment);
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
  try {
    program.StartUp();
    program.OpenMainWindow();
    while (Milliseconds(clock.Now()) < endMs) {
      clock.SleepFor(kTick);
      Pace(options.speed, wallStart, static_cast<double>(Milliseconds(clock.Now()) - startMs));
      program.Tick();
      observer.AfterTick(program.State());
      preheats.AfterTick(program.State(), static_cast<double>(Milliseconds(clock.Now()) - startMs) / 1000.0);
    }
    WriteSnapshot(program, options.snapshotPath, ui);
    summary.energyKWh += observer.LastEnergy();
    if (options.quit) program.Quit();
    program.SaveDayState();
  } catch (const ProgramExit& exit) {
    summary.exitStatus = exit.status();
  }
  if (hooks.ended) hooks.ended();
  preheats.Finish();
  summary.preheats = preheats.Lines();
  WritePreheatReport(summary.preheats, options.preheatReportPath, ui);
  summary.passes = program.PassCount();
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
                "energy           %.3f kWh\n"
                "wall time        %.3f s\n"
                "passes per wall second  %.0f (%.1f simulated days per wall second)\n",
                s.simulatedSeconds, s.simulatedSeconds / 86400.0, s.passes, s.closedDays, s.heatingCycles,
                s.energyKWh, s.wallSeconds, rate, rate / 86400.0);
  return text;
}

}  // namespace kelvora
