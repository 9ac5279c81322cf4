// Feeds arbitrary bodies to the dialogs' request readers, and what they
// accept to the dialogs' edits and answers: a hostile page may send any
// working copy back. Checks that whatever is accepted edits and answers
// without failing, and that an answer reads back as the same dialog.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "server/dialog_requests.h"

namespace {

using namespace kelvora;

void Check(bool condition) {
  if (!condition) std::abort();
}

void ProgramsBody(std::string_view body) {
  Parsed<ProgramsRequest> parsed = ParseProgramsRequest(body);
  if (!parsed.value || !parsed.value->dialog) return;
  ProgramsRequest& r = *parsed.value;
  ProgramsDialog& dialog = *r.dialog;
  AddProgramStep(dialog, r.name, r.time, r.temperature);
  DeleteProgramSteps(dialog, r.ticked);
  nlohmann::json answer = ProgramsAnswer(dialog);
  answer["action"] = "choose";
  Parsed<ProgramsRequest> again = ParseProgramsRequest(answer.dump());
  // Texts of the program's character set read back as they were; a '?'
  // stands for what it cannot hold, so only the row count is compared.
  Check(again.value && again.value->dialog->rows.size() == dialog.rows.size());
}

void LabelsBody(std::string_view body) {
  Parsed<LabelsRequest> parsed = ParseLabelsRequest(body);
  if (!parsed.value || !parsed.value->dialog) return;
  LabelsRequest& r = *parsed.value;
  AddLabel(*r.dialog, r.label, r.value);
  DeleteLabels(*r.dialog, r.ticked);
  LabelsAnswer(*r.dialog).dump();
}

void SettingsBody(std::string_view body) {
  Parsed<SettingsRequest> parsed = ParseSettingsRequest(body);
  if (parsed.value && parsed.value->form) SettingsAnswer(*parsed.value->form).dump();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view body(reinterpret_cast<const char*>(data), size);
  ProgramsBody(body);
  LabelsBody(body);
  SettingsBody(body);
  return 0;
}
