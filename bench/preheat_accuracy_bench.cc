// Whether the learning pays off: eight winter weeks on each shipped house,
// from an empty history. From week 2 on the median |arrival error| should
// stay within 5 minutes and the largest within 15; from week 3 on each
// week's median should beat the best single fixed lead chosen in hindsight.
// The counters give the worst week against each goal and `goals_met`.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "tools/preheat_report.h"
#include "tools/simulator.h"

namespace kelvora {
namespace {

constexpr double kMedianGoal = 5;
constexpr double kLargestGoal = 15;
constexpr int kSettledWeek = 1;  // week 2, counted from 0
constexpr int kHindsightWeek = 2;

const PreheatWeek* WeekOf(const std::vector<PreheatWeek>& weeks, int week) {
  for (const PreheatWeek& w : weeks) {
    if (w.week == week) return &w;
  }
  return nullptr;
}

void Accuracy(benchmark::State& state, const std::string& house) {
  for (auto _ : state) {
    std::string home = FreshHome();
    SimulationOptions options;
    options.home = home;
    options.housePath = KELVORA_SOURCE_DIR "/examples/houses/" + house + ".ini";
    ParseLocalTime("2024-01-08 00:00:00", &options.start);
    options.days = 56;
    QuietUi ui;
    SimulationSummary summary = RunSimulation(options, ui);
    std::filesystem::remove_all(home);

    std::vector<PreheatWeek> learned = SummariseWeeks(summary.preheats);
    double lead = BestFixedLead(summary.preheats, kHindsightWeek);
    std::vector<PreheatWeek> fixed = SummariseWeeks(WithFixedLead(summary.preheats, lead));
    double worstMedian = 0, worstLargest = 0;
    int beaten = 0, compared = 0;
    for (const PreheatWeek& w : learned) {
      if (w.week < kSettledWeek) continue;
      worstMedian = std::max(worstMedian, w.medianError);
      worstLargest = std::max(worstLargest, w.largestError);
      const PreheatWeek* hindsight = WeekOf(fixed, w.week);
      if (w.week < kHindsightWeek || hindsight == nullptr) continue;
      ++compared;
      if (w.medianError < hindsight->medianError) ++beaten;
    }
    state.counters["worst_median_min"] = worstMedian;
    state.counters["worst_largest_min"] = worstLargest;
    state.counters["hindsight_lead_min"] = lead;
    state.counters["weeks_beating_hindsight"] = beaten;
    state.counters["weeks_compared"] = compared;
    state.counters["goals_met"] =
        worstMedian <= kMedianGoal && worstLargest <= kLargestGoal && beaten == compared && compared > 0;
  }
}

void BM_Flat(benchmark::State& state) { Accuracy(state, "flat"); }
void BM_Stone(benchmark::State& state) { Accuracy(state, "stone"); }
void BM_HeatPump(benchmark::State& state) { Accuracy(state, "heatpump"); }
BENCHMARK(BM_Flat)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_Stone)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_HeatPump)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace kelvora

BENCHMARK_MAIN();
