// The dialogs' JSON: the request bodies of the Programs, Labels and Settings
// routes read into the dialogs' own types, and the answers that show them.
// A dialog's working copy travels with each request and answer ("dialog",
// or "form" for the settings), so every page has its own; the server
// re-checks whatever it is handed. Texts are UTF-8 here and Windows-1252 in
// the program. Pure functions, fuzzed and tested without a socket.
#ifndef KELVORA_SERVER_DIALOG_REQUESTS_H_
#define KELVORA_SERVER_DIALOG_REQUESTS_H_

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "Monitor/ui/about.h"
#include "Monitor/ui/labels_dialog.h"
#include "Monitor/ui/programs_dialog.h"
#include "Monitor/ui/settings_dialog.h"
#include "server/request_checks.h"

namespace kelvora {

// The request bodies: {"action": "open", "choose" (Programs: "program"),
// "add" ("name", "time", "temp" or "label", "value"), "delete" ("ticked":
// row indexes), "deleteAll", "apply", "save" or "restore"}, with "dialog",
// the working copy as the last answer gave it (every action but "open"; the
// Labels "open" names its "mode"). Settings: {"action": "open", "modify" or
// "save", "form", "answer": the NOTICE box's "OK" or "Cancel"}.
Parsed<ProgramsAction> ParseProgramsRequest(std::string_view body);
Parsed<LabelsAction> ParseLabelsRequest(std::string_view body);
Parsed<SettingsAction> ParseSettingsRequest(std::string_view body);

// A schedule dialog's view as {"dialog": the working copy to send back,
// "view": what the page shows, "box" and "closed" when the view has them}.
nlohmann::json ProgramsAnswer(const ProgramsView& view);
nlohmann::json LabelsAnswer(const LabelsView& view);
// The settings view as {"closed": true}, {"ask": box}, or {"form": texts by
// identifier, ticked identifiers and stamp, "disabled" identifiers,
// "languages"} and/or {"box": box}.
nlohmann::json SettingsAnswer(const SettingsView& view);
// A dialog's box: caption, text, icon, buttons, default.
nlohmann::json DialogBoxJson(const MessageBoxRequest& box);
nlohmann::json AboutJson(const AboutBox& about);

}  // namespace kelvora

#endif  // KELVORA_SERVER_DIALOG_REQUESTS_H_
