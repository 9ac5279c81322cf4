// The learned project data "PROJECT.DAT": the set-back in progress, the
// target of the coming pre-heat and the fitted regression models, as a text
// file in print zones. The recompute lives in project_recompute.h.
#ifndef KELVORA_MONITOR_LEARNING_PROJECT_FILE_H_
#define KELVORA_MONITOR_LEARNING_PROJECT_FILE_H_

#include <string>
#include <string_view>

#include "Monitor/learning/learning_parts.h"

namespace kelvora {

inline constexpr const char* kProjectFile = "PROJECT.DAT";

// The block of one model slot: head, one row line per variable, a blank line.
// A slot with count 0 writes no row line; its blank line still ends it, for
// the reader reads one after every block.
std::string ModelBlockText(const ModelSlot& slot);

// Lines 1 to 4 of the file, from memory.
std::string ProjectFileText(const LearningParts& state);

// What a read of the file found.
struct ProjectReadResult {
  bool empty = false;    // nothing to read: the state is untouched
  bool damaged = false;  // the text does not hold what the writer writes
  // Text after what the writer writes: what comes before it is read, and
  // is `wholeLength` bytes long.
  bool trailing = false;
  size_t wholeLength = 0;
  std::string problem;  // for a damaged file or the trailing text: what is wrong, for the console
};

// Reads the header and the model blocks (slots 0..currentModel, stopping
// before slot 3 and 6) into `state`. A damaged text changes nothing and says
// why.
ProjectReadResult ParseProjectText(std::string_view text, const LearningParts& state);

void WriteProject(const LearningParts& state, const LearningServices& services);
// Creates an empty file when none exists. A damaged file is copied aside
// (KeepDamagedCopy) and the learned state is left as it was. A file with
// text after what the writer writes is copied aside too; what precedes that
// text is read, and the file is cut back to it.
void ReadProject(const LearningParts& state, const LearningServices& services);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_LEARNING_PROJECT_FILE_H_
