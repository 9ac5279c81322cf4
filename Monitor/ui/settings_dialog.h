// The Settings dialog: the [User] settings shown in the display units, read
// back from what the person typed, applied at once to the running program
// (fan and heat-pump relays included) and, on SAVE, written to the settings
// file. Opening and reading a form may run on any thread; applying belongs
// to the control thread.
#ifndef KELVORA_MONITOR_UI_SETTINGS_DIALOG_H_
#define KELVORA_MONITOR_UI_SETTINGS_DIALOG_H_

#include <map>
#include <optional>
#include <set>
#include <string>

#include "Monitor/core/control_host.h"
#include "Monitor/core/run_state.h"
#include "Monitor/ui/control_ids.h"
#include "platform/user_interface.h"

namespace kelvora {

// The controls by their template identifiers: the texts of the edit fields
// and the language list, and which radio buttons and check boxes are on.
struct SettingsForm {
  std::map<int, std::string> texts;
  std::set<int> ticked;
  std::string stamp;  // what the settings were when the form was filled
};

// Edit fields and lists of the dialog, in the order the dialog shows them.
inline constexpr int kSettingsTextControls[] = {
    settings_id::kLanguage,      settings_id::kKwhCost,       settings_id::kIntAdjust,
    settings_id::kIntRelativeTo, settings_id::kExtAdjust,     settings_id::kExtRelativeTo,
    settings_id::kSunAdjust,     settings_id::kSunExponent,   settings_id::kSunFloor,
    settings_id::kExtTempFloor,  settings_id::kTempSetBack,   settings_id::kWindFloor,
    settings_id::kExtTempCeil,   settings_id::kTempSetForward};
// The two "Relative to:" choices and their fields, never enabled.
inline constexpr int kSettingsDisabledControls[] = {settings_id::kIntRelative, settings_id::kIntRelativeTo,
                                                    settings_id::kExtRelative, settings_id::kExtRelativeTo};

// The form as the dialog opens on the current settings.
SettingsForm OpenSettingsDialog(const RunState& state);

enum class SettingsApplied {
  kApplied,  // stored (and written, for SAVE); the dialog closes
  kRefused,  // a field cannot be stored: nothing changed, `box` says which
  kChanged,  // the settings changed since the form was filled: nothing
             // changed, `box` says so and `current` is the form to show
  kAsk,      // the heat pump would change during a set-back: nothing changed
             // yet; show `box` and apply again with its answer
};

struct SettingsOutcome {
  SettingsApplied result = SettingsApplied::kApplied;
  std::optional<MessageBoxRequest> box;
  std::optional<SettingsForm> current;
};

// The "NOTICE" box asked before the heat pump changes during a set-back.
MessageBoxRequest HeatPumpNoticeBox();

// "Modify" (or "SAVE" with `save`): every field checked, then applied in the
// dialog's order; `noticeAnswer` is the answer to the NOTICE box when it was
// asked. Control thread.
SettingsOutcome ApplySettings(ControlHost& host, const SettingsForm& form, bool save,
                              std::optional<BoxResult> noticeAnswer);

// What the person did: opened the dialog, or pressed Modify or SAVE on the
// form the last view brought, with the answer to the NOTICE box when it was
// asked.
struct SettingsAction {
  enum class Kind { kOpen, kModify, kSave };
  Kind kind = Kind::kOpen;
  std::optional<SettingsForm> form;
  std::optional<BoxResult> answer;
};

// What the dialog shows after one action: closed, a question to ask before
// the action is sent again with its answer, or a form and/or a box.
struct SettingsView {
  bool closed = false;
  std::optional<MessageBoxRequest> ask;
  std::optional<SettingsForm> form;
  std::optional<MessageBoxRequest> box;
};

// Every kind reads or changes the settings in force.
inline bool NeedsControlThread(SettingsAction::Kind) { return true; }

// One action, one view. `host` is the program on its control thread.
SettingsView ActOnSettings(ControlHost* host, SettingsAction action);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_UI_SETTINGS_DIALOG_H_
