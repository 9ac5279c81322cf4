#include "Monitor/learning/estimate.h"

namespace kelvora {

float ModelValue(const ModelSlot&, const Regressors&) { return 0; }
void EvaluateModels(ControlHost&) {}
void ComputePreheatDuration(ControlHost& host, float) {
  RunState& state = host.State();
  state.learning.estimatedArrival = state.learning.estimatedPreheatSeconds + state.clock.clockSeconds;
}
void RecomputeProject(ControlHost&) {}
void LearningUpdate(ControlHost&) {}

}  // namespace kelvora
