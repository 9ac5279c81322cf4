#include "tools/preheat_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "Monitor/core/clock_text.h"

namespace kelvora {
namespace {

constexpr double kDaySeconds = 86400;
// A target not reached this long after it was due is reported as missed.
constexpr double kGiveUpSeconds = 6 * 3600;

std::string ClockOf(int32_t seconds) {
  char text[16];
  seconds = ((seconds % 86400) + 86400) % 86400;
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
  return text;
}

}  // namespace

void PreheatReporter::AfterTick(const RunState& state, double nowSeconds, double interior) {
  float energy = state.statistics.energyToday;
  // The day's counter starts again at midnight.
  double drawn = energy >= lastEnergy_ ? energy - lastEnergy_ : energy;
  lastEnergy_ = energy;
  bool preheat = state.control.heatMode == HeatMode::kPreheat;
  if (watch_ && !watch_->preheatEnded) watch_->line.energy += drawn;
  if (preheat && !inPreheat_) {
    Close();
    Begin(state, nowSeconds);
  }
  if (!preheat && inPreheat_ && watch_) watch_->preheatEnded = true;
  inPreheat_ = preheat;
  if (watch_) Follow(state, nowSeconds, interior);
}

void PreheatReporter::Begin(const RunState& state, double nowSeconds) {
  Watch w;
  w.line.date = state.clock.todayDate;
  w.line.programmed = state.control.pendingSlotEnd;
  w.line.start = state.clock.clockSeconds;
  double ahead = static_cast<double>(state.control.pendingSlotEnd) - state.clock.clockSeconds;
  if (ahead < -kDaySeconds / 2) ahead += kDaySeconds;
  w.startAt = nowSeconds;
  w.line.week = static_cast<int>(std::floor(nowSeconds / (7 * kDaySeconds)));
  w.dueAt = nowSeconds + ahead;
  w.target = state.control.setpoint;
  w.startInterior = state.control.interiorTemp;
  watch_ = w;
}

void PreheatReporter::Follow(const RunState& state, double nowSeconds, double interior) {
  Watch& w = *watch_;
  if (!w.line.interiorAtDue && nowSeconds >= w.dueAt) w.line.interiorAtDue = static_cast<float>(interior);
  if (!w.line.reached && state.control.interiorTemp >= w.target) {
    w.line.reached = state.clock.clockSeconds;
    w.line.errorMinutes = (nowSeconds - w.dueAt) / 60;
    w.line.degrees = state.control.interiorTemp - w.startInterior;
  }
  bool gaveUp = nowSeconds - w.dueAt > kGiveUpSeconds;
  // An early arrival is watched on to the programmed time, for the interior then.
  bool done = (w.line.reached && w.line.interiorAtDue) || gaveUp;
  if (w.preheatEnded && done) Close();
}

void PreheatReporter::Close() {
  if (!watch_) return;
  lines_.push_back(watch_->line);
  watch_.reset();
}

void PreheatReporter::Finish() { Close(); }

std::string PreheatReporter::CsvHeader() {
  return "date,programmed,preheat_start,target_reached,arrival_error_min,degrees_gained,energy_kwh,"
         "interior_at_programmed\n";
}

std::string PreheatReporter::CsvLine(const PreheatLine& line) {
  char numbers[96];
  std::string reached = line.reached ? ClockOf(*line.reached) : "";
  std::string error = "";
  if (line.reached) {
    std::snprintf(numbers, sizeof numbers, "%.1f", line.errorMinutes);
    error = numbers;
  }
  std::snprintf(numbers, sizeof numbers, ",%.2f,%.3f,", line.degrees, line.energy);
  std::string atDue;
  if (line.interiorAtDue) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", *line.interiorAtDue);
    atDue = text;
  }
  return line.date + "," + ClockOf(line.programmed) + "," + ClockOf(line.start) + "," + reached + "," +
         error + numbers + atDue + "\n";
}

namespace {

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Minutes of burn from the start to the target.
double NeededMinutes(const PreheatLine& line) {
  double seconds = *line.reached - line.start;
  if (seconds < 0) seconds += kDaySeconds;
  return seconds / 60;
}

}  // namespace

std::vector<PreheatLine> WithFixedLead(const std::vector<PreheatLine>& lines, double lead) {
  std::vector<PreheatLine> fixed;
  for (PreheatLine line : lines) {
    if (line.reached) line.errorMinutes = NeededMinutes(line) - lead;
    fixed.push_back(line);
  }
  return fixed;
}

double BestFixedLead(const std::vector<PreheatLine>& lines, int fromWeek) {
  std::vector<double> needed;
  for (const PreheatLine& line : lines) {
    if (line.reached && line.week >= fromWeek) needed.push_back(NeededMinutes(line));
  }
  if (needed.empty()) return 0;
  double longest = *std::max_element(needed.begin(), needed.end());
  double best = 0, bestMedian = 1e300;
  for (double lead = 0; lead <= longest; lead += 0.5) {
    std::vector<double> errors;
    for (double n : needed) errors.push_back(std::fabs(n - lead));
    double median = Median(errors);
    if (median < bestMedian) {
      best = lead;
      bestMedian = median;
    }
  }
  return best;
}

std::vector<PreheatWeek> SummariseWeeks(const std::vector<PreheatLine>& lines) {
  std::map<int, std::vector<const PreheatLine*>> byWeek;
  for (const PreheatLine& line : lines) byWeek[line.week].push_back(&line);
  std::vector<PreheatWeek> weeks;
  for (const auto& [week, members] : byWeek) {
    PreheatWeek summary;
    summary.week = week;
    summary.preheats = static_cast<int>(members.size());
    std::vector<double> errors;
    for (const PreheatLine* line : members) {
      if (!line->reached || line->errorMinutes > 0) ++summary.late;
      if (line->reached) errors.push_back(std::fabs(line->errorMinutes));
    }
    if (!errors.empty()) {
      summary.medianError = Median(errors);
      summary.largestError = *std::max_element(errors.begin(), errors.end());
    }
    weeks.push_back(summary);
  }
  return weeks;
}

}  // namespace kelvora
