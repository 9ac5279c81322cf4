// Feeds arbitrary bytes to the day-file readers, as "STAT.DAT" and as
// "CYCLE.DAT". Checks what must hold for any file: a rejected file says why
// and changes nothing; an accepted one stays within the day's limits, and
// what is written from it reads back to the same values (numbers to the
// seven digits the files keep).
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "Monitor/core/run_state.h"
#include "Monitor/run_parts.h"
#include "Monitor/statistics/day_files.h"

namespace {

using kelvora::RunState;

void Check(bool condition) {
  if (!condition) std::abort();
}

RunState FreshState() {
  RunState state;
  kelvora::ResetDayState(kelvora::StatisticsPartsOf(state));
  return state;
}

bool Near(float a, float b) {
  return a == b || std::fabs(a - b) <= 1e-6f * std::fmax(std::fabs(a), std::fabs(b)) + 1e-44f;
}

// Every number "STAT.DAT" keeps that is not a count.
std::vector<float> StatNumbers(const RunState& state) {
  const kelvora::StatisticsState& s = state.statistics;
  std::vector<float> numbers = {s.heatingSeconds, s.energyToday, s.setbackSeconds,       s.setbackEnergy,
                                s.offSeconds,     s.onSeconds,   s.day.dayWeightSeconds, s.day.sunHourMax};
  for (const kelvora::Statistic* statistic :
       {&s.day.interior, &s.day.exterior, &s.day.windChill, &s.day.sun, &s.day.wind}) {
    numbers.insert(numbers.end(), {statistic->minimum, statistic->sum, statistic->maximum});
  }
  return numbers;
}

void CheckSameStat(const RunState& a, const RunState& b) {
  const kelvora::ControlState& ca = a.control;
  const kelvora::ControlState& cb = b.control;
  Check(a.card.outputByte == b.card.outputByte && a.clock.clockSeconds == b.clock.clockSeconds);
  Check(a.statistics.heatingTimeText == b.statistics.heatingTimeText);
  Check(ca.stripColumn == cb.stripColumn && ca.stripIndex == cb.stripIndex);
  Check(ca.stripRowCount == cb.stripRowCount);
  for (int row = 1; row <= ca.stripRowCount; ++row) Check(ca.stripRows(row) == cb.stripRows(row));
  std::vector<float> na = StatNumbers(a), nb = StatNumbers(b);
  for (size_t i = 0; i < na.size(); ++i) Check(Near(na[i], nb[i]));
}

void CheckStat(std::string_view input) {
  RunState state = FreshState();
  std::string before = kelvora::StatFileText(kelvora::StatisticsPartsOf(state));
  std::string problem;
  if (!kelvora::ParseStatFile(input, kelvora::StatisticsPartsOf(state), &problem)) {
    Check(!problem.empty());
    Check(kelvora::StatFileText(kelvora::StatisticsPartsOf(state)) == before);
    return;
  }
  Check(state.control.stripRowCount <= state.control.stripRows.Rows());
  RunState again = FreshState();
  Check(kelvora::ParseStatFile(kelvora::StatFileText(kelvora::StatisticsPartsOf(state)),
                               kelvora::StatisticsPartsOf(again), &problem));
  CheckSameStat(state, again);
}

void CheckCycle(std::string_view input) {
  RunState state = FreshState();
  std::string before = kelvora::CycleFileText(state.control);
  std::string problem;
  if (!kelvora::ParseCycleFile(input, state.control, &problem)) {
    Check(!problem.empty());
    Check(kelvora::CycleFileText(state.control) == before);
    return;
  }
  const kelvora::ControlState& c = state.control;
  Check(c.cycleIndex >= 0 && c.cycleIndex <= c.cycleLog.Rows() &&
        c.cycleLog.Columns() == kelvora::kCycleEnergy);
  RunState again = FreshState();
  Check(kelvora::ParseCycleFile(kelvora::CycleFileText(state.control), again.control, &problem));
  Check(again.control.cycleIndex == c.cycleIndex);
  for (int row = 1; row <= c.cycleIndex; ++row) {
    for (int column = kelvora::kCycleState; column <= kelvora::kCycleEnergy; ++column) {
      Check(Near(c.cycleLog(row, column), again.control.cycleLog(row, column)));
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  CheckStat(input);
  CheckCycle(input);
  return 0;
}
