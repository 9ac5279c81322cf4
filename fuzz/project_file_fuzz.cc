// Feeds arbitrary bytes to the project data reader. Checks what must hold
// for any file: a refused file says why and changes nothing; an accepted
// one is written back as a text that reads again, to the same header and
// model layout, and after that one rewrite (masked numbers keep three
// decimals) to the very same text.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "Monitor/core/run_state.h"
#include "Monitor/learning/project_file.h"
#include "Monitor/run_parts.h"

namespace {

using kelvora::RunState;

void Check(bool condition) {
  if (!condition) std::abort();
}

// The file as the writer and the regression leave it: the header, the
// written blocks, and the block of slot `currentModel` when the reader
// takes it.
std::string FullText(RunState& state) {
  std::string text = kelvora::ProjectFileText(kelvora::LearningPartsOf(state));
  const int current = state.learning.currentModel;
  if (current < 3) text += kelvora::ModelBlockText(state.learning.models[current]);
  return text;
}

// The header line, whose numbers are all written exactly.
std::string ProjectFileHeader(RunState& state) {
  const std::string text = kelvora::ProjectFileText(kelvora::LearningPartsOf(state));
  return text.substr(0, text.find('\n'));
}

// What a slot holds apart from its masked numbers.
std::string Layout(const RunState& state, int m) {
  const kelvora::ModelSlot& slot = state.learning.models[m];
  std::string layout = std::to_string(slot.modelVarCount) + "/" + std::to_string(slot.modelMask) + "/" +
                       std::to_string(slot.modelSamples);
  for (const kelvora::ModelRow& row : slot.rows)
    layout += "/" + std::to_string(row.modelVarIndex) + row.modelVarName;
  return layout;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  RunState state;
  const std::string before = FullText(state);
  kelvora::ProjectReadResult result = kelvora::ParseProjectText(input, kelvora::LearningPartsOf(state));
  if (result.damaged || result.empty) {
    Check(result.damaged != result.empty);
    Check(result.damaged == !result.problem.empty());
    Check(FullText(state) == before);
    return 0;
  }
  // Text after a whole file is read up to, and named.
  Check(result.trailing == !result.problem.empty());
  Check(result.wholeLength <= input.size());
  const std::string written = FullText(state);
  RunState again;
  const kelvora::ProjectReadResult reread =
      kelvora::ParseProjectText(written, kelvora::LearningPartsOf(again));
  Check(!reread.damaged && !reread.trailing);
  Check(ProjectFileHeader(again) == ProjectFileHeader(state));
  for (int m = 0; m < kelvora::kModelSlots; ++m) Check(Layout(again, m) == Layout(state, m));
  const std::string rewritten = FullText(again);
  RunState third;
  Check(!kelvora::ParseProjectText(rewritten, kelvora::LearningPartsOf(third)).damaged);
  Check(FullText(third) == rewritten);
  return 0;
}
