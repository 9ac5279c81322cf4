// The pre-heat report of a simulation: for each pre-heat, when it was due,
// when it started, when the house first reached the target and how far off
// that was, as CSV lines.
#ifndef KELVORA_TOOLS_PREHEAT_REPORT_H_
#define KELVORA_TOOLS_PREHEAT_REPORT_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Monitor/core/run_state.h"

namespace kelvora {

struct PreheatLine {
  std::string date;                    // the pre-heat's start day, "yy/mm/dd"
  int32_t programmed = 0;              // time of day the target was due, s
  int32_t start = 0;                   // time of day the pre-heat began, s
  std::optional<int32_t> reached;      // time of day the interior first reached the target, s
  double errorMinutes = 0;             // reached - due; positive = late
  float degrees = 0;                   // interior gained from the start to reaching the target
  double energy = 0;                   // kWh drawn from the start to the end of the pre-heat
  int week = 0;                        // simulated week of the start, from 0
  std::optional<float> interiorAtDue;  // the house's interior at the programmed time
};

// The pre-heats of one simulated week.
struct PreheatWeek {
  int week = 0;
  int preheats = 0;
  int late = 0;             // reached after the programmed time, or never
  double medianError = 0;   // of |arrival error|, min, over those that reached the target
  double largestError = 0;  // likewise
};

// One entry per week that saw a pre-heat start, in order.
std::vector<PreheatWeek> SummariseWeeks(const std::vector<PreheatLine>& lines);

// What the pre-heats would have done had each started a fixed `lead`
// minutes before its programmed time, taking the burn each one needed to
// reach its target as given: the same lines with their errors replaced.
std::vector<PreheatLine> WithFixedLead(const std::vector<PreheatLine>& lines, double lead);
// The fixed lead, in half minutes, with the smallest median |arrival error|
// over the pre-heats of weeks `fromWeek` on (from 0); 0 when there are none.
double BestFixedLead(const std::vector<PreheatLine>& lines, int fromWeek);

// Watches the run state after every tick. `nowSeconds` is the simulated
// time in seconds from any fixed origin, so days may pass during a pre-heat;
// `interior` is the house's temperature as the report should give it.
class PreheatReporter {
 public:
  void AfterTick(const RunState& state, double nowSeconds, double interior);
  // Closes a pre-heat still being watched when the simulation ends.
  void Finish();

  const std::vector<PreheatLine>& Lines() const { return lines_; }

  static std::string CsvHeader();
  static std::string CsvLine(const PreheatLine& line);

 private:
  struct Watch {
    PreheatLine line;
    double startAt = 0;  // simulated time of the start
    double dueAt = 0;    // simulated time the target was due
    float target = 0;
    float startInterior = 0;
    bool preheatEnded = false;
  };

  void Begin(const RunState& state, double nowSeconds);
  void Follow(const RunState& state, double nowSeconds, double interior);
  void Close();

  std::optional<Watch> watch_;
  std::vector<PreheatLine> lines_;
  bool inPreheat_ = false;
  float lastEnergy_ = 0;
};

}  // namespace kelvora

#endif  // KELVORA_TOOLS_PREHEAT_REPORT_H_
