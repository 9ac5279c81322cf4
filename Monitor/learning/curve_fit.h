// Least-squares fit of the running pre-heat's heating curve to its step
// rows: a two-level direct search (no derivatives), an outer line search over
// the first parameter and, for each of its trials, an inner one over the
// second, each trial scored by the sum of squared residuals.
#ifndef KELVORA_MONITOR_LEARNING_CURVE_FIT_H_
#define KELVORA_MONITOR_LEARNING_CURVE_FIT_H_

#include <string>

#include "Monitor/core/learning_operations.h"
#include "Monitor/learning/learning_parts.h"

namespace kelvora {

// The step rows a fit reads: time (s) and interior temperature by row.
struct FitInput {
  const Table<float>* steps = nullptr;
  int stepIndex = -1;
  int inertDeg = 3;
  int modelKind = 1;  // 1: curve and slope; 3: ceiling and time constant
  float nextSetpoint = 0;
};

struct FitOutcome {
  bool ran = false;  // false: too few rows, nothing changed
  // Some trial scored below the starting score. When none did, the results
  // are only the start of the search and are not to be used.
  bool improved = false;
  double result1 = 0, result2 = 0;  // curve and slope, or ceiling and time constant
  double bestSsq = 0;
  long iterations = 0;  // fitIterations: every trial of both levels
  std::string report;   // the console lines
};

FitOutcome FitCurve(const FitInput& input);

// Runs the fit on the step table with model kind `modelKind`, stores the
// results (curve and slope, or ceilingTemp, fittedTimeConst and
// ceilingMargin), reports to the diagnostics and recomputes the duration
// with fittedTimeConst. Does nothing below Inert_Deg + 2 rows; a fit that
// improved on no trial keeps the parameters in use.
void FitPreheatCurve(const LearningParts& state, Diagnostics& diagnostics, LearningOperations& operations,
                     int modelKind);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_LEARNING_CURVE_FIT_H_
