// Turning the learned models into times: the model evaluation at the current
// weather, the pre-heat duration and arrival estimate, the project recompute
// and the learning update that plans each night's set-back.
#ifndef KELVORA_MONITOR_LEARNING_ESTIMATE_H_
#define KELVORA_MONITOR_LEARNING_ESTIMATE_H_

#include <array>

#include "Monitor/core/control_host.h"
#include "Monitor/learning/regressors.h"

namespace kelvora {

// The value of model slot `slot` at the regressors `x` (index 1..9).
float ModelValue(const ModelSlot& slot, const Regressors& x);

void EvaluateModels(ControlHost& host);
// Sets estimatedPreheatSeconds and estimatedArrival.
void ComputePreheatDuration(ControlHost& host, float timeConstant);
// Refits the models in their fixed order and accepts a plausible result,
// or falls back to the class averages.
void RecomputeProject(ControlHost& host);
// At a set-back's start: simulates the night for both variants, keeps the
// cheaper and begins its "PH_HP.LOG" line.
void LearningUpdate(ControlHost& host);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_LEARNING_ESTIMATE_H_
