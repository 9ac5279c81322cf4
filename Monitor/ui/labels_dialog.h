// The Labels dialog: one editor for the four two-column schedule tables
// (mode 1 Days, 2 Holidays, 3 Hours, 4 Temps), on a working copy with its
// combo boxes and list. Everything but Apply, SAVE and Restore works on the
// dialog alone and may run on any thread; those three touch the run state
// and belong to the control thread.
#ifndef KELVORA_MONITOR_UI_LABELS_DIALOG_H_
#define KELVORA_MONITOR_UI_LABELS_DIALOG_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Monitor/core/control_host.h"
#include "Monitor/core/run_state.h"
#include "Monitor/ui/dialog_support.h"

namespace kelvora {

inline constexpr uint8_t kDaysMode = 1;
inline constexpr uint8_t kHolidaysMode = 2;
inline constexpr uint8_t kHoursMode = 3;
inline constexpr uint8_t kTempsMode = 4;

struct LabelsDialog {
  uint8_t mode = kDaysMode;
  std::vector<LabelRow> rows;       // the working copy: (label, value) as stored
  std::vector<std::string> labels;  // combo box labels_id::kLabels
  std::vector<std::string> values;  // combo box labels_id::kValues (mode 4: in the user's unit)
  uint8_t tempUnits = 0;            // the user's unit when the dialog opened
  std::string stamp;                // fingerprint of the table when it opened
};

// The texts the dialog sets by mode.
struct LabelsTexts {
  std::string title;        // the window title: mode word + " Setting/Editing"
  std::string group;        // labels_id::kGroup
  std::string labelColumn;  // labels_id::kLabelCaption and the label column
  std::string valueColumn;  // labels_id::kValueCaption and the value column
};
LabelsTexts LabelsTextsOf(uint8_t mode);

// The dialog in `mode` (1..4; anything else is mode 1) on the current table,
// its rows sorted by label.
LabelsDialog OpenLabelsDialog(const RunState& state, uint8_t mode);

// The list lines: number, label, value (mode 4 converted), row index.
std::vector<DialogListRow> LabelLines(const LabelsDialog& dialog);

// "Add": the row is checked by mode, appended, replaces a row with the same
// label, and the rows are sorted. Nothing changes when a box is returned.
std::optional<MessageBoxRequest> AddLabel(LabelsDialog& dialog, std::string_view label,
                                          std::string_view value);

// "Delete" of the rows with these indexes; "Delete All" of every row.
void DeleteLabels(LabelsDialog& dialog, const std::vector<size_t>& ticked);
void DeleteAllLabels(LabelsDialog& dialog);

// "Apply" (or "SAVE" with `save`, which also writes the mode's file): the
// working copy replaces the table of the mode. Refused when the table
// changed since the dialog opened (the dialog is then opened again on it),
// when the working copy cannot be stored, or when a row it brings is one
// Add refuses (the first such row's box); nothing changes then. Control
// thread.
std::optional<MessageBoxRequest> ApplyLabels(ControlHost& host, LabelsDialog& dialog, bool save);

// "Restore": the schedule files read again and the dialog opened again in
// the same mode. Control thread.
void RestoreLabels(ControlHost& host, LabelsDialog& dialog);

// What the person did in the dialog, with the working copy the last view
// brought (every kind but kOpen).
struct LabelsAction {
  enum class Kind { kOpen, kAdd, kDelete, kDeleteAll, kApply, kSave, kRestore };
  Kind kind = Kind::kOpen;
  uint8_t mode = kDaysMode;  // kOpen
  std::optional<LabelsDialog> dialog;
  std::string label, value;    // kAdd: as typed
  std::vector<size_t> ticked;  // kDelete: row indexes
};

// What the dialog shows after one action.
struct LabelsView {
  LabelsDialog dialog;  // the working copy the next action brings back
  LabelsTexts texts;    // the captions of the dialog's mode
  std::vector<DialogListRow> lines;
  std::optional<MessageBoxRequest> box;
  std::optional<bool> closed;  // Apply and SAVE: whether the dialog closes
};

// Open, Apply, SAVE and Restore read or change the program's tables; the
// other kinds edit the working copy alone.
bool NeedsControlThread(LabelsAction::Kind kind);

// One action, one view. `host` is the program on its control thread when
// NeedsControlThread(action.kind), and may be null otherwise.
LabelsView ActOnLabels(ControlHost* host, LabelsAction action);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_UI_LABELS_DIALOG_H_
