#include "Monitor/learning/learning.h"

#include "Monitor/core/control_host.h"

namespace kelvora {

void PassiveLearning::ComputePreheatDuration(float /*timeConstant*/) {
  RunState& state = host_.State();
  // No lead time: the arrival is now, so the pre-heat is due only when the
  // awaited slot begins.
  state.learning.estimatedArrival = state.learning.estimatedPreheatSeconds + state.clock.clockSeconds;
}

void PassiveLearning::FitPreheatCurve(int /*modelKind*/) {}

}  // namespace kelvora
