// Every route of the page's server. A dialog adds its routes as rows of this
// table, its handlers in server/<dialog>_routes.cc with their declarations in
// the matching header; the page module that calls them lives in
// resources/web/js/<dialog>.js. Handlers stay thin: check the request, post
// one command (OnControlThread) or read one snapshot, answer.
#include "server/routes.h"

#include "server/dialog_routes.h"
#include "server/main_window_routes.h"
#include "server/page_routes.h"
#include "server/report_routes.h"

namespace kelvora {

const std::vector<Route>& Routes() {
  static const std::vector<Route> kRoutes = {
      // The page and its files.
      {Method::kGet, "/", Access::kRead, ServeMainPage},
      {Method::kGet, R"(/(?:js|css)/[a-z_]+\.(?:js|css))", Access::kRead, ServeAsset},
      {Method::kGet, R"(/pictures/[a-z_-]+\.svg)", Access::kRead, ServeAsset},
      {Method::kGet, "/login", Access::kOpen, ServeLoginPage},
      {Method::kGet, R"(/login\.css|/favicon\.svg)", Access::kOpen, ServeAsset},
      {Method::kPost, "/login", Access::kOpen, LogIn},
      {Method::kPost, "/logout", Access::kChange, LogOut},
      // The main window.
      {Method::kGet, "/api/snapshot", Access::kRead, GetSnapshot},
      {Method::kGet, "/api/events", Access::kRead, StreamEvents},
      {Method::kPost, "/api/commands/save-stats", Access::kChange, SaveStats},
      {Method::kPost, "/api/commands/quit", Access::kChange, Quit},
      {Method::kPost, "/api/commands/exit-without-save", Access::kChange, ExitWithoutSave},
      {Method::kPost, "/api/slots/modify", Access::kChange, ModifySlot},
      {Method::kPost, "/api/slots/delete", Access::kChange, DeleteSlots},
      // The dialogs: Programs 6000, Labels 7000, Settings 8000, About 9000.
      {Method::kPost, "/api/dialogs/programs", Access::kChange, ProgramsDialogRoute},
      {Method::kPost, "/api/dialogs/labels", Access::kChange, LabelsDialogRoute},
      {Method::kPost, "/api/dialogs/settings", Access::kChange, SettingsDialogRoute},
      {Method::kGet, "/api/dialogs/about", Access::kRead, AboutRoute},
      // View: the statistics lists, the curves, the status screen, the season.
      {Method::kGet, R"(/api/lists/([123]))", Access::kRead, GetStatList},
      {Method::kPost, R"(/api/graphs/(preheat|drop|list))", Access::kChange, DrawGraph},
      {Method::kPost, "/api/graphs/closed", Access::kChange, CloseGraph},
      {Method::kGet, "/api/status-screen", Access::kRead, GetStatusScreen},
      {Method::kGet, "/api/season", Access::kRead, GetSeason},
      {Method::kGet, R"(/api/season/(days|preheats)\.csv)", Access::kRead, GetSeasonCsv},
      {Method::kGet, R"(/lib/chart\.js)", Access::kRead, ServeChartLibrary},
      // Message boxes.
      {Method::kGet, "/api/boxes", Access::kRead, GetBoxes},
      {Method::kPost, R"(/api/boxes/([^/]+))", Access::kChange, AnswerBox},
  };
  return kRoutes;
}

}  // namespace kelvora
