// The "Programs Setting/Editing" dialog: a working copy of the program rows,
// its combo boxes and list in their display forms, and the buttons Add,
// Delete, Delete All, Apply, SAVE, Restore and Cancel. Everything but Apply,
// SAVE, Restore and AnnounceProgramName works on the dialog alone and may run
// on any thread; those four touch the run state and belong to the control
// thread.
#ifndef KELVORA_MONITOR_UI_PROGRAMS_DIALOG_H_
#define KELVORA_MONITOR_UI_PROGRAMS_DIALOG_H_

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

struct ProgramsDialog {
  std::vector<ProgramRow> rows;    // the working copy
  std::vector<std::string> names;  // combo box programs_id::kNames: program names
  std::vector<std::string> times;  // combo box programs_id::kTimes: display forms
  std::vector<std::string> temps;  // combo box programs_id::kTemps: display forms
  std::string shown;               // the program whose steps the list shows
  // As the dialog opened: the labels that display forms name, the user's
  // temperature unit, and the fingerprint of the program rows.
  std::vector<LabelRow> hourLabels;
  std::vector<LabelRow> tempLabels;
  uint8_t tempUnits = 0;
  std::string stamp;
};

// The dialog as it opens: the program rows copied, the combo boxes filled,
// the list showing the first program.
ProgramsDialog OpenProgramsDialog(const RunState& state);

// The list lines of the shown program: number, name, time and temperature
// in display form, and the row's index.
std::vector<DialogListRow> ProgramSteps(const ProgramsDialog& dialog);

struct StepAdded {
  std::optional<MessageBoxRequest> refusal;  // nothing changed when set
  bool newProgram = false;                   // the name was new: the main window should list it
};

// "Add": the step (name, time text of programs_id::kTimes, temperature text
// of programs_id::kTemps) is checked, appended, and replaces an earlier step
// of the program at the same time; the list then shows its program.
StepAdded AddProgramStep(ProgramsDialog& dialog, std::string_view name, std::string_view time,
                         std::string_view temperature);

// "Delete": removes the rows with these indexes that belong to the shown
// program (others are ignored); a program left without rows leaves the
// programs_id::kNames list.
void DeleteProgramSteps(ProgramsDialog& dialog, const std::vector<size_t>& ticked);
// "Delete All": every step of the shown program.
void DeleteAllProgramSteps(ProgramsDialog& dialog);

// Orders rows by program name, then by time text; within each program the
// hand-overs go last.
void SortProgramRows(std::vector<ProgramRow>& rows);

// The main window's program box: the names of the program rows, a name not
// repeated when the row before carries it already.
void FillProgramBox(RunState& state);

// A name new to the Programs dialog joins the main window's program box,
// which is told to refresh. Control thread.
void AnnounceProgramName(RunState& state, std::string_view name);

// "Apply" (or "SAVE" with `save`, which also writes "PROGRAMS.prg"): the
// sorted working copy replaces `programRows`. Refused when the rows changed
// since the dialog opened (the dialog is then opened again on the current
// table), when the working copy cannot be stored, or when a step it brings
// is one Add refuses (the first such step's box); nothing changes then.
// Control thread.
std::optional<MessageBoxRequest> ApplyPrograms(ControlHost& host, ProgramsDialog& dialog, bool save);

// "Restore": all five schedule files read again, the dialog opened again on
// them, still showing the same program. Control thread.
void RestorePrograms(ControlHost& host, ProgramsDialog& dialog);

// What the person did in the dialog, with the working copy the last view
// brought (every kind but kOpen).
struct ProgramsAction {
  enum class Kind { kOpen, kChoose, kAdd, kDelete, kDeleteAll, kApply, kSave, kRestore };
  Kind kind = Kind::kOpen;
  std::optional<ProgramsDialog> dialog;
  std::string name, time, temperature;  // kAdd: as typed
  std::string program;                  // kChoose: the name picked from the list
  std::vector<size_t> ticked;           // kDelete: row indexes
};

// What the dialog shows after one action.
struct ProgramsView {
  ProgramsDialog dialog;             // the working copy the next action brings back
  std::vector<DialogListRow> lines;  // the list: the shown program's steps
  std::optional<MessageBoxRequest> box;
  std::optional<bool> closed;  // Apply and SAVE: whether the dialog closes
  std::string newProgram;      // Add of a new name: to announce to the main window
};

// Open, Apply, SAVE and Restore read or change the program's tables; the
// other kinds edit the working copy alone.
bool NeedsControlThread(ProgramsAction::Kind kind);

// One action, one view. `host` is the program on its control thread when
// NeedsControlThread(action.kind), and may be null otherwise.
ProgramsView ActOnPrograms(ControlHost* host, ProgramsAction action);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_UI_PROGRAMS_DIALOG_H_
