// The control pass of a simulated house: the cost of one pass, with and
// without the day-state save (median and 99th percentile), and a simulated
// week of the example home through kelvora-sim's runner.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "Monitor/Monitor.h"
#include "bench/bench_support.h"
#include "platform/ports.h"
#include "tools/simulator.h"

namespace kelvora {
namespace {

void ReportPercentiles(benchmark::State& state, std::vector<double>& nanoseconds) {
  std::sort(nanoseconds.begin(), nanoseconds.end());
  if (nanoseconds.empty()) return;
  state.counters["median_us"] = nanoseconds[nanoseconds.size() / 2] / 1000;
  state.counters["p99_us"] = nanoseconds[nanoseconds.size() * 99 / 100] / 1000;
}

void PassCost(benchmark::State& state, bool save) {
  std::string home = FreshHome();
  LocalTime start;
  ParseLocalTime("2024-01-08 05:00:00", &start);
  VirtualClock clock(start);
  NullPorts ports;
  QuietUi ui;
  Program program(Environment{clock, ports, ui, home, false, 1, {}, {}});
  program.Files().SetSyncOnCommit(false);
  if (!save) program.SetDayStateSaverForTesting([](Program&) {});
  program.StartUp();
  program.OpenMainWindow();
  std::vector<double> times;
  for (auto _ : state) {
    clock.Advance(std::chrono::seconds(1));
    auto begin = std::chrono::steady_clock::now();
    program.RunControlPass();
    if (save) program.SaveDayState();
    times.push_back(
        std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - begin).count());
  }
  ReportPercentiles(state, times);
  std::filesystem::remove_all(home);
}

void BM_PassWithoutSave(benchmark::State& state) { PassCost(state, false); }
BENCHMARK(BM_PassWithoutSave)->Iterations(20000)->Unit(benchmark::kMicrosecond);

void BM_PassWithSave(benchmark::State& state) { PassCost(state, true); }
BENCHMARK(BM_PassWithSave)->Iterations(5000)->Unit(benchmark::kMicrosecond);

void BM_SimulatedWeek(benchmark::State& state) {
  for (auto _ : state) {
    std::string home = FreshHome();
    SimulationOptions options;
    options.home = home;
    ParseLocalTime("2024-01-08 00:00:00", &options.start);
    options.days = 7;
    QuietUi ui;
    SimulationSummary summary = RunSimulation(options, ui);
    state.counters["passes_per_wall_s"] = summary.passes / summary.wallSeconds;
    state.counters["sim_days_per_wall_s"] = summary.simulatedSeconds / 86400 / summary.wallSeconds;
    std::filesystem::remove_all(home);
  }
}
BENCHMARK(BM_SimulatedWeek)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace kelvora

BENCHMARK_MAIN();
