#include "Monitor/learning/learning.h"

#include "Monitor/core/control_host.h"
#include "Monitor/learning/curve_fit.h"
#include "Monitor/learning/estimate.h"
#include "Monitor/learning/learning_log.h"
#include "Monitor/learning/preheat_history.h"
#include "Monitor/learning/project_file.h"

namespace kelvora {

void HouseLearning::ReadPreheatHistory() { kelvora::ReadPreheatHistory(host_); }
void HouseLearning::ClosePreheatHistory() { kelvora::ClosePreheatHistory(host_); }
void HouseLearning::AppendPreheatRecord() { kelvora::AppendPreheatRecord(host_); }
void HouseLearning::RecomputeProject() { kelvora::RecomputeProject(host_); }
void HouseLearning::WriteProject() { kelvora::WriteProject(host_); }
void HouseLearning::ReadProject() { kelvora::ReadProject(host_); }
void HouseLearning::EvaluateModels() { kelvora::EvaluateModels(host_); }
void HouseLearning::ComputePreheatDuration(float timeConstant) {
  kelvora::ComputePreheatDuration(host_, timeConstant);
}
void HouseLearning::FitPreheatCurve(int modelKind) { kelvora::FitPreheatCurve(host_, modelKind); }
void HouseLearning::LearningUpdate() { kelvora::LearningUpdate(host_); }
void HouseLearning::ArchivePreheatSteps() { kelvora::ArchivePreheatSteps(host_); }
void HouseLearning::ForgetPreviousSteps() { kelvora::ForgetPreviousSteps(host_); }
void HouseLearning::CompleteLearningLog() { kelvora::CompleteLearningLog(host_); }

void PassiveLearning::ComputePreheatDuration(float /*timeConstant*/) {
  RunState& state = host_.State();
  // No lead time: the arrival is now, so the pre-heat is due only when the
  // awaited slot begins.
  state.learning.estimatedArrival = state.learning.estimatedPreheatSeconds + state.clock.clockSeconds;
}

void PassiveLearning::FitPreheatCurve(int /*modelKind*/) {}

// Learning nothing, it still keeps the records a watching person reads.
void PassiveLearning::ArchivePreheatSteps() { kelvora::ArchivePreheatSteps(host_); }
void PassiveLearning::ForgetPreviousSteps() { kelvora::ForgetPreviousSteps(host_); }
void PassiveLearning::CompleteLearningLog() { kelvora::CompleteLearningLog(host_); }

}  // namespace kelvora
