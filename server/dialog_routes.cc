#include "server/dialog_routes.h"

#include "server/dialog_requests.h"

namespace kelvora {
namespace {

using Json = nlohmann::json;

void ReplyOnControlThread(ServerContext& context, httplib::Response& res,
                          std::function<Json(Program&)> work) {
  std::optional<Json> result = OnControlThread(context, std::move(work));
  if (!result) {
    ReplyError(res, 503, "the program did not take the command in time; try again");
    return;
  }
  ReplyJson(res, 200, *result);
}

Json WithBox(Json answer, const std::optional<MessageBoxRequest>& box) {
  if (box) answer["box"] = DialogBoxJson(*box);
  return answer;
}

// Apply and SAVE close the dialog unless they were refused.
Json Applied(Json answer, const std::optional<MessageBoxRequest>& refusal) {
  answer["closed"] = !refusal.has_value();
  return WithBox(std::move(answer), refusal);
}

bool OnTheControlThread(const std::string& action) {
  return action == "open" || action == "apply" || action == "save" || action == "restore";
}

Json ProgramsOnControlThread(Program& program, ProgramsRequest& r) {
  if (r.action == "open") return ProgramsAnswer(OpenProgramsDialog(program.State()));
  ProgramsDialog& dialog = *r.dialog;
  if (r.action == "restore") {
    RestorePrograms(program, dialog);
    return ProgramsAnswer(dialog);
  }
  auto refusal = ApplyPrograms(program, dialog, r.action == "save");
  return Applied(ProgramsAnswer(dialog), refusal);
}

}  // namespace

void ProgramsDialogRoute(ServerContext& context, const httplib::Request& req, httplib::Response& res) {
  Parsed<ProgramsRequest> parsed = ParseProgramsRequest(req.body);
  if (!parsed.value) {
    ReplyError(res, 400, parsed.error);
    return;
  }
  ProgramsRequest& r = *parsed.value;
  if (OnTheControlThread(r.action)) {
    ReplyOnControlThread(context, res,
                         [r](Program& program) mutable { return ProgramsOnControlThread(program, r); });
    return;
  }
  ProgramsDialog& dialog = *r.dialog;
  std::optional<MessageBoxRequest> refusal;
  if (r.action == "choose") dialog.shown = r.program;
  if (r.action == "delete") DeleteProgramSteps(dialog, r.ticked);
  if (r.action == "deleteAll") DeleteAllProgramSteps(dialog);
  if (r.action == "add") {
    StepAdded added = AddProgramStep(dialog, r.name, r.time, r.temperature);
    refusal = added.refusal;
    if (added.newProgram) {
      context.program.PostCommand(
          [name = dialog.shown](Program& program) { AnnounceProgramName(program.State(), name); });
    }
  }
  ReplyJson(res, 200, WithBox(ProgramsAnswer(dialog), refusal));
}

void LabelsDialogRoute(ServerContext& context, const httplib::Request& req, httplib::Response& res) {
  Parsed<LabelsRequest> parsed = ParseLabelsRequest(req.body);
  if (!parsed.value) {
    ReplyError(res, 400, parsed.error);
    return;
  }
  LabelsRequest& r = *parsed.value;
  if (OnTheControlThread(r.action)) {
    ReplyOnControlThread(context, res, [r](Program& program) mutable {
      if (r.action == "open") return LabelsAnswer(OpenLabelsDialog(program.State(), r.mode));
      if (r.action == "restore") {
        RestoreLabels(program, *r.dialog);
        return LabelsAnswer(*r.dialog);
      }
      auto refusal = ApplyLabels(program, *r.dialog, r.action == "save");
      return Applied(LabelsAnswer(*r.dialog), refusal);
    });
    return;
  }
  LabelsDialog& dialog = *r.dialog;
  std::optional<MessageBoxRequest> refusal;
  if (r.action == "add") refusal = AddLabel(dialog, r.label, r.value);
  if (r.action == "delete") DeleteLabels(dialog, r.ticked);
  if (r.action == "deleteAll") DeleteAllLabels(dialog);
  ReplyJson(res, 200, WithBox(LabelsAnswer(dialog), refusal));
}

void SettingsDialogRoute(ServerContext& context, const httplib::Request& req, httplib::Response& res) {
  Parsed<SettingsRequest> parsed = ParseSettingsRequest(req.body);
  if (!parsed.value) {
    ReplyError(res, 400, parsed.error);
    return;
  }
  ReplyOnControlThread(context, res, [r = *parsed.value](Program& program) {
    if (r.action == "open") return SettingsAnswer(OpenSettingsDialog(program.State()));
    SettingsOutcome outcome = ApplySettings(program, *r.form, r.action == "save", r.answer);
    switch (outcome.result) {
      case SettingsApplied::kApplied:
        return Json{{"closed", true}};
      case SettingsApplied::kAsk:
        return Json{{"ask", DialogBoxJson(*outcome.box)}};
      case SettingsApplied::kChanged:
        return WithBox(SettingsAnswer(*outcome.current), outcome.box);
      case SettingsApplied::kRefused:
        break;
    }
    return WithBox(Json::object(), outcome.box);
  });
}

void AboutRoute(ServerContext&, const httplib::Request&, httplib::Response& res) {
  ReplyJson(res, 200, AboutJson(AboutKelvora()));
}

}  // namespace kelvora
