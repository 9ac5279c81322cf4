#include "server/dialog_routes.h"

#include "server/dialog_requests.h"

namespace kelvora {
namespace {

using Json = nlohmann::json;

// A program the Programs dialog created joins the main window's list.
void AfterView(ServerContext& context, const ProgramsView& view) {
  if (view.newProgram.empty()) return;
  context.program.PostCommand(
      [name = view.newProgram](Program& program) { AnnounceProgramName(program.State(), name); });
}
template <typename View>
void AfterView(ServerContext&, const View&) {}

// One dialog route: the request read into the person's action, the action
// run where it belongs (on the control thread when it reads or changes the
// program's tables, here when it edits the working copy alone) and its view
// sent back.
template <typename Action, typename View>
void ActAndAnswer(ServerContext& context, const httplib::Request& req, httplib::Response& res,
                  Parsed<Action> (*parse)(std::string_view), View (*act)(ControlHost*, Action),
                  Json (*answer)(const View&)) {
  Parsed<Action> parsed = parse(req.body);
  if (!parsed.value) {
    ReplyError(res, 400, parsed.error);
    return;
  }
  if (!NeedsControlThread(parsed.value->kind)) {
    View view = act(nullptr, std::move(*parsed.value));
    AfterView(context, view);
    ReplyJson(res, 200, answer(view));
    return;
  }
  std::optional<Json> result =
      OnControlThread(context, [action = std::move(*parsed.value), act, answer](Program& program) mutable {
        return answer(act(&program, std::move(action)));
      });
  if (!result) {
    ReplyError(res, 503, "the program did not take the command in time; try again");
    return;
  }
  ReplyJson(res, 200, *result);
}

}  // namespace

void ProgramsDialogRoute(ServerContext& context, const httplib::Request& req, httplib::Response& res) {
  ActAndAnswer(context, req, res, ParseProgramsRequest, ActOnPrograms, ProgramsAnswer);
}

void LabelsDialogRoute(ServerContext& context, const httplib::Request& req, httplib::Response& res) {
  ActAndAnswer(context, req, res, ParseLabelsRequest, ActOnLabels, LabelsAnswer);
}

void SettingsDialogRoute(ServerContext& context, const httplib::Request& req, httplib::Response& res) {
  ActAndAnswer(context, req, res, ParseSettingsRequest, ActOnSettings, SettingsAnswer);
}

void AboutRoute(ServerContext&, const httplib::Request&, httplib::Response& res) {
  ReplyJson(res, 200, AboutJson(AboutKelvora()));
}

}  // namespace kelvora
