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
  Parsed<ProgramsAction> parsed = ParseProgramsRequest(body);
  if (!parsed.value || !parsed.value->dialog) return;
  ProgramsAction& a = *parsed.value;
  ProgramsDialog& dialog = *a.dialog;
  AddProgramStep(dialog, a.name, a.time, a.temperature);
  DeleteProgramSteps(dialog, a.ticked);
  ProgramsAction choose;
  choose.kind = ProgramsAction::Kind::kChoose;
  choose.dialog = dialog;
  choose.program = dialog.shown;
  nlohmann::json answer = ProgramsAnswer(ActOnPrograms(nullptr, choose));
  answer["action"] = "choose";
  Parsed<ProgramsAction> again = ParseProgramsRequest(answer.dump());
  // Texts of the program's character set read back as they were; a '?'
  // stands for what it cannot hold, so only the row count is compared.
  Check(again.value && again.value->dialog->rows.size() == dialog.rows.size());
}

void LabelsBody(std::string_view body) {
  Parsed<LabelsAction> parsed = ParseLabelsRequest(body);
  if (!parsed.value || !parsed.value->dialog) return;
  LabelsAction& a = *parsed.value;
  AddLabel(*a.dialog, a.label, a.value);
  DeleteLabels(*a.dialog, a.ticked);
  a.kind = LabelsAction::Kind::kDelete;
  a.ticked.clear();
  LabelsAnswer(ActOnLabels(nullptr, a)).dump();
}

void SettingsBody(std::string_view body) {
  Parsed<SettingsAction> parsed = ParseSettingsRequest(body);
  if (!parsed.value || !parsed.value->form) return;
  SettingsView view;
  view.form = parsed.value->form;
  SettingsAnswer(view).dump();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view body(reinterpret_cast<const char*>(data), size);
  ProgramsBody(body);
  LabelsBody(body);
  SettingsBody(body);
  return 0;
}
