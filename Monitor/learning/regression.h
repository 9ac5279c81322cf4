// Multiple regression: how one quantity of a pre-heat (the set-back drop
// rate, the heating curve's slope or curve, the normalised time constant or
// ceiling) depends on the weather, by least squares over the selected
// pre-heat history, written as a model block after the header of "PROJECT.DAT".
#ifndef KELVORA_MONITOR_LEARNING_REGRESSION_H_
#define KELVORA_MONITOR_LEARNING_REGRESSION_H_

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "Monitor/learning/learning_parts.h"
#include "Monitor/learning/preheat_history.h"

namespace kelvora {

// The nine variables of one record; [0] is variable 1, the dependent one.
using RegressionRow = std::array<double, 9>;

// The labels of variables 1 and 9 for model slot `slot`, and 2..8 for all.
std::string RegressionLabel(int slot, int variable);
// The nine variables of a history record for model slot `slot`.
RegressionRow RegressionVariables(const LearningParts& state, int slot, const PreheatHistoryRecord& record);

// The fit of `rows` with the variables of `mask` (bit 0 must be set). The
// slot has count 0 and mask 0 when the fit is impossible; `report` holds
// the console report either way.
struct RegressionOutcome {
  ModelSlot slot;
  std::string report;
};
RegressionOutcome Regress(const std::vector<RegressionRow>& rows, uint16_t mask, int modelSlot);

// Fits slot `currentModel` with `variableMask` over the history records the
// current selection takes, rewrites "PROJECT.DAT" whole (what WriteProject
// writes, then the fitted block) and writes the report to the diagnostics.
void RunRegression(const LearningParts& state, const LearningServices& services);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_LEARNING_REGRESSION_H_
