// The learning operations the control pass calls by name: the pre-heat
// history, the project data, the model evaluation, the duration estimate,
// the curve fit and the learning update at the start of a set-back. They
// read and write the run state (mostly LearningState) and their own files.
// The control pass owns this interface; the learning implements it.
#ifndef KELVORA_MONITOR_CORE_LEARNING_OPERATIONS_H_
#define KELVORA_MONITOR_CORE_LEARNING_OPERATIONS_H_

namespace kelvora {

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
  // The learning's working records, which a learner without files skips:
  // the pre-heat's step rows when it ends or the schedule rises, the first
  // copy of them forgotten when a pre-heat starts unfitted, and the
  // learning log's line completed when the burner stops.
  virtual void ArchivePreheatSteps() {}
  virtual void ForgetPreviousSteps() {}
  virtual void CompleteLearningLog() {}
};

}  // namespace kelvora

#endif  // KELVORA_MONITOR_CORE_LEARNING_OPERATIONS_H_
