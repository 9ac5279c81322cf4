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

// What the person did in a schedule dialog: "open", "choose" (Programs:
// `program`), "add", "delete" (`ticked`: row indexes), "deleteAll",
// "apply", "save" or "restore", with the dialog as the last answer gave it
// (every action but "open").
struct ProgramsRequest {
  std::string action;
  std::optional<ProgramsDialog> dialog;
  std::string name, time, temperature, program;
  std::vector<size_t> ticked;
};
struct LabelsRequest {
  std::string action;
  uint8_t mode = kDaysMode;  // for "open"
  std::optional<LabelsDialog> dialog;
  std::string label, value;
  std::vector<size_t> ticked;
};
// "open", "modify" or "save"; `answer` is the NOTICE box's ("OK"/"Cancel").
struct SettingsRequest {
  std::string action;
  std::optional<SettingsForm> form;
  std::optional<BoxResult> answer;
};

Parsed<ProgramsRequest> ParseProgramsRequest(std::string_view body);
Parsed<LabelsRequest> ParseLabelsRequest(std::string_view body);
Parsed<SettingsRequest> ParseSettingsRequest(std::string_view body);

// {"dialog": the working copy to send back, "view": what the page shows}.
nlohmann::json ProgramsAnswer(const ProgramsDialog& dialog);
nlohmann::json LabelsAnswer(const LabelsDialog& dialog);
// {"form": texts by identifier, ticked identifiers, disabled identifiers, stamp}.
nlohmann::json SettingsAnswer(const SettingsForm& form);
// A dialog's box: caption, text, icon, buttons, default.
nlohmann::json DialogBoxJson(const MessageBoxRequest& box);
nlohmann::json AboutJson(const AboutBox& about);

}  // namespace kelvora

#endif  // KELVORA_SERVER_DIALOG_REQUESTS_H_
