// The dialogs' API: Programs (6000), Labels (7000), Settings (8000) and
// About (9000). Opening, Apply, SAVE and Restore run on the control thread;
// the edits between them work on the working copy the page sends back.
#ifndef KELVORA_SERVER_DIALOG_ROUTES_H_
#define KELVORA_SERVER_DIALOG_ROUTES_H_

#include "server/server_context.h"

namespace kelvora {

void ProgramsDialogRoute(ServerContext& context, const httplib::Request& req, httplib::Response& res);
void LabelsDialogRoute(ServerContext& context, const httplib::Request& req, httplib::Response& res);
void SettingsDialogRoute(ServerContext& context, const httplib::Request& req, httplib::Response& res);
void AboutRoute(ServerContext& context, const httplib::Request& req, httplib::Response& res);

}  // namespace kelvora

#endif  // KELVORA_SERVER_DIALOG_ROUTES_H_
