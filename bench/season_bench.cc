// A season in a minute: simulated days per wall second and per CPU second of
// kelvora-sim's runner, over 7 and 60 days, on the built-in simulated house
// and on the physical stone house behind the fake card.
#include <benchmark/benchmark.h>

#include <ctime>
#include <filesystem>
#include <string>

#include "bench/bench_support.h"
#include "tools/simulator.h"

namespace kelvora {
namespace {

double CpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

void Season(benchmark::State& state, const std::string& house) {
  for (auto _ : state) {
    std::string home = FreshHome();
    SimulationOptions options;
    options.home = home;
    options.housePath = house;
    ParseLocalTime("2024-01-08 00:00:00", &options.start);
    options.days = static_cast<double>(state.range(0));
    QuietUi ui;
    double cpuStart = CpuSeconds();
    SimulationSummary summary = RunSimulation(options, ui);
    double cpu = CpuSeconds() - cpuStart;
    double days = summary.simulatedSeconds / 86400;
    state.counters["sim_days_per_wall_s"] = days / summary.wallSeconds;
    state.counters["sim_days_per_cpu_s"] = days / cpu;
    std::filesystem::remove_all(home);
  }
}

void BM_BuiltInHouse(benchmark::State& state) { Season(state, ""); }
BENCHMARK(BM_BuiltInHouse)->Arg(7)->Arg(60)->Iterations(1)->Unit(benchmark::kSecond);

void BM_StoneHouse(benchmark::State& state) {
  Season(state, KELVORA_SOURCE_DIR "/examples/houses/stone.ini");
}
BENCHMARK(BM_StoneHouse)->Arg(7)->Arg(60)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace kelvora

BENCHMARK_MAIN();
