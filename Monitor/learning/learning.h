// The learning operations that the control pass calls (declared beside the
// control host): HouseLearning is the program's; PassiveLearning learns nothing: every value stays as it was
// given, and the estimate has no lead time (the pre-heat is due at the slot's start), so a pre-heat never
// starts early.
#ifndef KELVORA_MONITOR_LEARNING_LEARNING_H_
#define KELVORA_MONITOR_LEARNING_LEARNING_H_

#include "Monitor/core/learning_operations.h"
#include "Monitor/learning/learning_parts.h"

namespace kelvora {

// What the program runs: the history, the project data, the regression, the
// curve fit and the estimate, on the parts of the run state it is given and
// through the services it is given.
class HouseLearning final : public LearningOperations {
 public:
  HouseLearning(const LearningParts& state, const LearningServices& services)
      : state_(state), services_(services) {}

  void ReadPreheatHistory() override;
  void ClosePreheatHistory() override;
  void AppendPreheatRecord() override;
  void RecomputeProject() override;
  void WriteProject() override;
  void ReadProject() override;
  void EvaluateModels() override;
  void ComputePreheatDuration(float timeConstant) override;
  void FitPreheatCurve(int modelKind) override;
  void LearningUpdate() override;
  void ArchivePreheatSteps() override;
  void ForgetPreviousSteps() override;
  void CompleteLearningLog() override;

 private:
  const LearningParts state_;
  const LearningServices services_;
};

class PassiveLearning final : public LearningOperations {
 public:
  PassiveLearning(const LearningParts& state, const LearningServices& services)
      : state_(state), services_(services) {}

  void ReadPreheatHistory() override {}
  void ClosePreheatHistory() override {}
  void AppendPreheatRecord() override {}
  void RecomputeProject() override {}
  void WriteProject() override {}
  void ReadProject() override {}
  void EvaluateModels() override {}
  void ComputePreheatDuration(float timeConstant) override;
  void FitPreheatCurve(int modelKind) override;
  void LearningUpdate() override {}
  void ArchivePreheatSteps() override;
  void ForgetPreviousSteps() override;
  void CompleteLearningLog() override;

 private:
  const LearningParts state_;
  const LearningServices services_;
};

}  // namespace kelvora

#endif  // KELVORA_MONITOR_LEARNING_LEARNING_H_
