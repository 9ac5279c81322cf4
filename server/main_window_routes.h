// The main window's API: its snapshot and push stream, the File menu's
// commands, "Modify" and "Delete", and the message boxes.
#ifndef KELVORA_SERVER_MAIN_WINDOW_ROUTES_H_
#define KELVORA_SERVER_MAIN_WINDOW_ROUTES_H_

#include "server/server_context.h"

namespace kelvora {

void GetSnapshot(ServerContext& context, const httplib::Request& req, httplib::Response& res);
void StreamEvents(ServerContext& context, const httplib::Request& req, httplib::Response& res);
void SaveStats(ServerContext& context, const httplib::Request& req, httplib::Response& res);
void Quit(ServerContext& context, const httplib::Request& req, httplib::Response& res);
void ExitWithoutSave(ServerContext& context, const httplib::Request& req, httplib::Response& res);
void ModifySlot(ServerContext& context, const httplib::Request& req, httplib::Response& res);
void DeleteSlots(ServerContext& context, const httplib::Request& req, httplib::Response& res);
void GetBoxes(ServerContext& context, const httplib::Request& req, httplib::Response& res);
void AnswerBox(ServerContext& context, const httplib::Request& req, httplib::Response& res);

}  // namespace kelvora

#endif  // KELVORA_SERVER_MAIN_WINDOW_ROUTES_H_
