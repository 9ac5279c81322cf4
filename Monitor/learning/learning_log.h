// The learning's working records beside its data: the pre-heat steps kept
// under the project data ("PROJECT.DAT.bak", with its first copy
// "Project.dat.PREV") and the night-by-night log of the learning update
// ("PH_HP.LOG"), whose line the end of the pre-heat completes.
#ifndef KELVORA_MONITOR_LEARNING_LEARNING_LOG_H_
#define KELVORA_MONITOR_LEARNING_LEARNING_LOG_H_

#include "Monitor/learning/learning_parts.h"

namespace kelvora {

inline constexpr const char* kLearningLog = "PH_HP.LOG";

// Appends the pre-heat's step rows to "PROJECT.DAT.bak" and keeps its first
// copy as "Project.dat.PREV".
void ArchivePreheatSteps(const LearningParts& state, const LearningServices& services);

// A new pre-heat without a fit: the first copy of the steps starts afresh.
void ForgetPreviousSteps(FileLayer& files);

// Completes the line the learning update began in "PH_HP.LOG".
void CompleteLearningLog(const LearningParts& state, const LearningServices& services);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_LEARNING_LEARNING_LOG_H_
