// The learning operations the control pass calls by name: the pre-heat
// history, the project data, the model evaluation, the duration estimate,
// the curve fit and the learning update at the start of a set-back. They
// read and write the run state (mostly LearningState) and their own files.
//
// HouseLearning is the program's; PassiveLearning learns nothing: every value stays as it was given, and the
// estimate has no lead time (the pre-heat is due at the slot's start), so a
// pre-heat never starts early.
#ifndef KELVORA_MONITOR_LEARNING_LEARNING_H_
#define KELVORA_MONITOR_LEARNING_LEARNING_H_

namespace kelvora {

class ControlHost;

class LearningOperations {
 public:
  virtual ~LearningOperations() = default;

  // Rotates, selects and averages the pre-heat history; leaves it open.
  virtual void ReadPreheatHistory() = 0;
  // Closes the pre-heat history and its temporary file.
  virtual void ClosePreheatHistory() = 0;
  // Appends the filled pre-heat record (LearningState::preheatRecord).
  virtual void AppendPreheatRecord() = 0;
  virtual void RecomputeProject() = 0;
  virtual void WriteProject() = 0;
  virtual void ReadProject() = 0;
  virtual void EvaluateModels() = 0;
  // Sets estimatedPreheatSeconds and estimatedArrival.
  virtual void ComputePreheatDuration(float timeConstant) = 0;
  // Fits the step table of the running pre-heat with model kind `modelKind`.
  virtual void FitPreheatCurve(int modelKind) = 0;
  virtual void LearningUpdate() = 0;
};

// What the program runs: the history, the project data, the regression, the
// curve fit and the estimate, on the host's run state and files.
class HouseLearning final : public LearningOperations {
 public:
  explicit HouseLearning(ControlHost& host) : host_(host) {}

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

 private:
  ControlHost& host_;
};

class PassiveLearning final : public LearningOperations {
 public:
  explicit PassiveLearning(ControlHost& host) : host_(host) {}

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

 private:
  ControlHost& host_;
};

}  // namespace kelvora

#endif  // KELVORA_MONITOR_LEARNING_LEARNING_H_
