#include "Monitor/learning/learning.h"

#include "Monitor/learning/curve_fit.h"
#include "Monitor/learning/estimate.h"
#include "Monitor/learning/learning_log.h"
#include "Monitor/learning/preheat_history.h"
#include "Monitor/learning/project_file.h"

namespace kelvora {

void HouseLearning::ReadPreheatHistory() { kelvora::ReadPreheatHistory(state_, services_); }
void HouseLearning::ClosePreheatHistory() { kelvora::ClosePreheatHistory(state_, services_); }
void HouseLearning::AppendPreheatRecord() { kelvora::AppendPreheatRecord(state_, services_); }
void HouseLearning::RecomputeProject() { kelvora::RecomputeProject(state_, services_); }
void HouseLearning::WriteProject() { kelvora::WriteProject(state_, services_); }
void HouseLearning::ReadProject() { kelvora::ReadProject(state_, services_); }
void HouseLearning::EvaluateModels() { kelvora::EvaluateModels(state_); }
void HouseLearning::ComputePreheatDuration(float timeConstant) {
  kelvora::ComputePreheatDuration(state_, timeConstant);
}
void HouseLearning::FitPreheatCurve(int modelKind) {
  kelvora::FitPreheatCurve(state_, services_.diagnostics, *this, modelKind);
}
void HouseLearning::LearningUpdate() { kelvora::LearningUpdate(state_, services_); }
void HouseLearning::ArchivePreheatSteps() { kelvora::ArchivePreheatSteps(state_, services_); }
void HouseLearning::ForgetPreviousSteps() { kelvora::ForgetPreviousSteps(services_.files); }
void HouseLearning::CompleteLearningLog() { kelvora::CompleteLearningLog(state_, services_); }

void PassiveLearning::ComputePreheatDuration(float /*timeConstant*/) {
  // No lead time: the arrival is now, so the pre-heat is due only when the
  // awaited slot begins.
  state_.learning.estimatedArrival = state_.learning.estimatedPreheatSeconds + state_.clock.clockSeconds;
}

void PassiveLearning::FitPreheatCurve(int /*modelKind*/) {}

// Learning nothing, it still keeps the records a watching person reads.
void PassiveLearning::ArchivePreheatSteps() { kelvora::ArchivePreheatSteps(state_, services_); }
void PassiveLearning::ForgetPreviousSteps() { kelvora::ForgetPreviousSteps(services_.files); }
void PassiveLearning::CompleteLearningLog() { kelvora::CompleteLearningLog(state_, services_); }

}  // namespace kelvora
