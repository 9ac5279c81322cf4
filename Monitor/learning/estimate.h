// Turning the learned models into times: the model evaluation at the current
// weather, the pre-heat duration and arrival estimate, the project recompute
// and the learning update that plans each night's set-back.
#ifndef KELVORA_MONITOR_LEARNING_ESTIMATE_H_
#define KELVORA_MONITOR_LEARNING_ESTIMATE_H_

#include <array>

#include "Monitor/learning/learning_parts.h"
#include "Monitor/learning/regressors.h"

namespace kelvora {

// The value of model slot `slot` at the regressors `x` (index 1..9).
float ModelValue(const ModelSlot& slot, const Regressors& x);

void EvaluateModels(const LearningParts& state);
// Sets estimatedPreheatSeconds and estimatedArrival.
void ComputePreheatDuration(const LearningParts& state, float timeConstant);
// Refits the models in their fixed order and accepts a plausible result,
// or falls back to the class averages.
void RecomputeProject(const LearningParts& state, const LearningServices& services);
// At a set-back's start: simulates the night for both variants, keeps the
// cheaper and begins its "PH_HP.LOG" line.
void LearningUpdate(const LearningParts& state, const LearningServices& services);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_LEARNING_ESTIMATE_H_
