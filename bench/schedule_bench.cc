// Cost of resolving the day's plan from a full Programs table (expansion with
// its label look-ups, the two sorts and the slot choice), and of the slot
// choice alone, which the control loop runs on every pass.
#include <cstdint>
#include <string>

#include "Monitor/core/run_state.h"
#include "Monitor/schedule/day_plan.h"
#include "benchmark/benchmark.h"

namespace kelvora {
namespace {

constexpr int kLabelCount = 100;

std::string TwoDigits(int value) { return std::string{char('0' + value / 10), char('0' + value % 10)}; }
std::string ClockAt(int minutes) { return TwoDigits(minutes / 60 % 24) + ":" + TwoDigits(minutes % 60); }

// 200 program rows: up to every eighth belongs to the day's program "WEEK",
// seven to "EVENING", the rest to nine other programs. WEEK's steps use the
// last hour and temperature labels of full label tables, the worst case for
// the look-ups, and its last row, the table's last, hands over to "EVENING".
RunState FullSchedule(int weekSteps) {
  RunState state;
  ScheduleState& s = state.schedule;
  for (int i = 0; i < kLabelCount; ++i) {
    s.hourLabels.push_back({"H" + std::to_string(i), ClockAt(i * 14)});
    s.tempLabels.push_back({"T" + std::to_string(i), std::to_string(15 + i % 10)});
  }
  int week = 0;
  for (int row = 0; row < static_cast<int>(kProgramRowCapacity) - 1; ++row) {
    if (row % 8 == 0 && week < weekSteps) {
      int label = kLabelCount - 1 - week++;
      s.programRows.push_back({"WEEK", "H" + std::to_string(label), "T" + std::to_string(label)});
    } else {
      std::string name = row % 32 == 1 ? "EVENING" : "OTHER" + std::to_string(row % 9);
      s.programRows.push_back({name, ClockAt(row * 7), std::to_string(16 + row % 6)});
    }
  }
  s.programRows.push_back({"WEEK", "EVENING", ""});
  s.daySlots[0].start = "00:00";
  return state;
}

void BM_ExpandSortFind(benchmark::State& bench) {
  RunState state = FullSchedule(static_cast<int>(bench.range(0)));
  for (auto _ : bench) {
    state.schedule.currentProgram = "WEEK";
    benchmark::DoNotOptimize(ExpandProgram(DayPlanOf(state), "12:00"));
  }
  bench.counters["slots"] = state.schedule.slotCount;
}
BENCHMARK(BM_ExpandSortFind)->Arg(4)->Arg(12)->Arg(24);

void BM_FindCurrentSlot(benchmark::State& bench) {
  RunState state = FullSchedule(12);  // 19 program slots, room for two by hand
  state.schedule.currentProgram = "WEEK";
  ExpandProgram(DayPlanOf(state), "12:00");
  // Two manual slots on top of the program's, as hand edits leave them.
  ScheduleState& s = state.schedule;
  s.daySlots[++s.slotCount] = DaySlot{"12:00", "14:00", "1"};
  s.daySlots[++s.slotCount] = DaySlot{"12:00", "13:00", "1"};
  SortSlots(DayPlanOf(state), "12:00");
  const std::string times[] = {"00:10", "06:45", "12:30", "18:00", "23:59"};
  size_t i = 0;
  for (auto _ : bench) {
    FindCurrentSlot(DayPlanOf(state), times[i]);
    benchmark::DoNotOptimize(state.schedule.nextSetpoint);
    i = (i + 1) % 5;
  }
  bench.counters["slots"] = state.schedule.slotCount;
}
BENCHMARK(BM_FindCurrentSlot);

}  // namespace
}  // namespace kelvora

BENCHMARK_MAIN();
