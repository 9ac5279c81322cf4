// The learning's costs: a regression over 1,000 records, the curve fit on
// 30, 100 and 300 step rows (trials and time), a learning update on five
// seasons of history, and the slowest control pass of a simulated week.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "Functions/formulas.h"
#include "Monitor/Monitor.h"
#include "Monitor/learning/curve_fit.h"
#include "Monitor/learning/preheat_history.h"
#include "Monitor/learning/regression.h"
#include "bench/bench_support.h"
#include "platform/ports.h"

namespace kelvora {
namespace {

void Regression(benchmark::State& state) {
  std::mt19937 random(7);
  std::normal_distribution<double> noise(0, 1);
  std::vector<RegressionRow> rows(1000);
  for (RegressionRow& row : rows) {
    for (int v = 1; v < 9; ++v) row[v] = noise(random) * 5;
    row[0] = 3 + 0.5 * row[2] - 0.25 * row[4] + row[6] + noise(random) * 0.1;
  }
  for (auto _ : state) benchmark::DoNotOptimize(Regress(rows, 511, 1));
}
BENCHMARK(Regression)->Unit(benchmark::kMicrosecond);

// Step rows of a quadratic climb (curve 0.4, slope 9) with sensor noise.
Table<float> ClimbRows(int rows) {
  Table<float> steps;
  steps.Dimension(rows, 10);
  std::mt19937 random(11);
  std::uniform_real_distribution<float> noise(-20, 20);
  for (int i = 0; i <= rows; ++i) {
    float rise = i / 10.0f;
    steps(i, 0) = 20000 + HeatingProject(1, rise, 0.4f, 9) * 60 + noise(random);
    steps(i, 2) = 17 + rise;
  }
  return steps;
}

void CurveFit(benchmark::State& state) {
  int rows = static_cast<int>(state.range(0));
  Table<float> steps = ClimbRows(rows);
  FitInput input{&steps, rows, 3, 1, 21};
  long trials = 0;
  for (auto _ : state) {
    FitOutcome outcome = FitCurve(input);
    trials = outcome.iterations;
    benchmark::DoNotOptimize(outcome);
  }
  state.counters["trials"] = static_cast<double>(trials);
}
BENCHMARK(CurveFit)->Arg(30)->Arg(100)->Arg(300)->Unit(benchmark::kMillisecond);

// Five seasons of pre-heats, about 200 a season, in both variants.
void WriteHistory(const std::string& home) {
  std::ofstream out(home + "/DATA/PREHEAT.DAT", std::ios::binary);
  std::mt19937 random(5);
  std::uniform_real_distribution<float> spread(-1, 1);
  for (int year = 19; year <= 23; ++year) {
    for (int day = 0; day < 200; ++day) {
      PreheatHistoryRecord r;
      int month = 10 + day / 30;
      char date[16];
      std::snprintf(date, sizeof date, "%02d/%02d/%02d", month > 12 ? year + 1 : year,
                    month > 12 ? month - 12 : month, day % 28 + 1);
      r.date = date;
      r.dayMeanExterior = -10 + 10 * spread(random);
      r.dayWindChill = r.dayMeanExterior - 3;
      r.startExterior = r.dayMeanExterior - 2;
      r.startWindChill = r.startExterior - 3;
      r.dropRate = 90 + 30 * spread(random);
      r.fittedTimeConst = 400 + 100 * spread(random);
      r.fittedCeiling = 35;
      r.firstStepInterior = 17.1f;
      r.stepThreshold = 17;
      r.endInterior = 21;
      r.programmedTime = 23400;
      r.actualSeconds = 7200 + 600 * spread(random);
      r.riseDelay = 120;
      r.inertiaDelay = 300;
      r.inertDeg = 3;
      r.variant = static_cast<int16_t>(day % 2);
      r.slope = 9 + spread(random);
      r.curve = 0.4f + 0.1f * spread(random);
      std::string bytes = EncodePreheatRecord(r);
      out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
  }
}

LocalTime At(const char* text) {
  LocalTime time;
  ParseLocalTime(text, &time);
  return time;
}

// The program in `home` on a virtual clock from `start`, started, with its
// window open.
struct StartedProgram {
  StartedProgram(const std::string& home, const char* start)
      : clock(At(start)), program(Environment{clock, ports, ui, home, false, 1, {}, {}}) {
    program.Files().SetSyncOnCommit(false);
    program.StartUp();
    program.OpenMainWindow();
  }

  VirtualClock clock;
  NullPorts ports;
  QuietUi ui;
  Program program;
};

void LearningUpdateOnFiveSeasons(benchmark::State& state) {
  std::string home = FreshHome();
  std::filesystem::create_directories(home + "/DATA");
  WriteHistory(home);
  {
    StartedProgram run(home, "2024-01-12 22:31:00");  // a Friday's set-back
    for (auto _ : state) run.program.Learning().LearningUpdate();
  }
  std::filesystem::remove_all(home);
}
BENCHMARK(LearningUpdateOnFiveSeasons)->Unit(benchmark::kMillisecond)->Iterations(5);

void SlowestPassOfAWeek(benchmark::State& state) {
  for (auto _ : state) {
    std::string home = FreshHome();
    {
      StartedProgram run(home, "2024-01-08 00:00:00");
      double slowest = 0;
      for (int second = 0; second < 7 * 86400; ++second) {
        run.clock.Advance(std::chrono::seconds(1));
        auto begin = std::chrono::steady_clock::now();
        run.program.RunControlPass();
        std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - begin;
        slowest = std::max(slowest, took.count());
      }
      state.counters["slowest_pass_ms"] = slowest;
    }
    std::filesystem::remove_all(home);
  }
}
BENCHMARK(SlowestPassOfAWeek)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
}  // namespace kelvora

BENCHMARK_MAIN();
