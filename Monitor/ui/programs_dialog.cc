#include "Monitor/ui/programs_dialog.h"

#include <algorithm>
#include <set>

#include "Monitor/core/text_number.h"
#include "Monitor/schedule/schedule_files.h"

namespace kelvora {

namespace {

constexpr uint8_t kProgramFieldsFlag = 1;

bool Contains(const std::vector<std::string>& list, std::string_view text) {
  return std::find(list.begin(), list.end(), text) != list.end();
}

void AddOnce(std::vector<std::string>& list, std::string text) {
  if (!Contains(list, text)) list.push_back(std::move(text));
}

bool IsLiteralTime(std::string_view time) { return time.size() >= 3 && time[2] == ':'; }
bool StartsWithDigit(std::string_view text) { return !text.empty() && text[0] >= '0' && text[0] <= '9'; }

const LabelRow* FindLabel(const std::vector<LabelRow>& labels, std::string_view name) {
  auto it = std::find_if(labels.begin(), labels.end(), [&](const LabelRow& l) { return l.name == name; });
  return it == labels.end() ? nullptr : &*it;
}

bool IsProgram(const std::vector<ProgramRow>& rows, std::string_view name) {
  return std::any_of(rows.begin(), rows.end(), [&](const ProgramRow& r) { return r.program == name; });
}

// The program a step hands over to, as the expansion reads it: a time field
// that is a name and names a program.
std::optional<std::string> HandOverTarget(const std::vector<ProgramRow>& rows, const ProgramRow& row) {
  if (StartsWithDigit(row.time) || !IsProgram(rows, row.time)) return std::nullopt;
  return row.time;
}

// Whether hand-overs lead from program `from` to program `to`.
bool LeadsTo(const std::vector<ProgramRow>& rows, const std::string& from, const std::string& to) {
  std::set<std::string> seen{from};
  std::vector<std::string> pending{from};
  while (!pending.empty()) {
    std::string program = pending.back();
    pending.pop_back();
    if (program == to) return true;
    for (const ProgramRow& row : rows) {
      if (row.program != program) continue;
      auto target = HandOverTarget(rows, row);
      if (target && seen.insert(*target).second) pending.push_back(*target);
    }
  }
  return false;
}

// The slots that expanding `program` gathers from sorted rows, following
// hand-overs as the day's expansion does (a loop ends the walk).
size_t SlotsOf(const std::vector<ProgramRow>& rows, const std::string& program) {
  std::set<std::string> visited{program};
  std::string current = program;
  size_t slots = 0;
  size_t next = 0;
  while (next < rows.size()) {
    const ProgramRow& row = rows[next++];
    if (row.program != current) continue;
    auto target = HandOverTarget(rows, row);
    if (!target) {
      ++slots;
      continue;
    }
    if (!visited.insert(*target).second) break;
    current = *target;
    next = 0;  // the walk starts again at the first row
  }
  return slots;
}

MessageBoxRequest LoopBox() {
  return ErrorBox("A Program cannot hand over back to itself, directly or through others",
                  "NOT a VALID PROGRAM");
}

// The name of a display form "name [...]" (the text before " [").
std::string NameOfForm(std::string_view text) {
  std::string_view name = text.substr(0, text.find('['));
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  return std::string(name);
}

bool IsForm(std::string_view text) {
  return !text.empty() && text.back() == ']' && text.find('[') != std::string_view::npos;
}

std::string TimeForm(const ProgramsDialog& dialog, const std::string& time) {
  if (IsLiteralTime(time)) return time;
  if (const LabelRow* label = FindLabel(dialog.hourLabels, time)) return time + " [" + label->value + "]";
  if (Contains(dialog.names, time)) return "*" + time + " [Prog.]";
  return time;
}

std::string TempForm(const ProgramsDialog& dialog, const std::string& temperature) {
  if (temperature.empty()) return temperature;
  if (ReadNumber(temperature) != 0) return ShownTemperature(temperature, dialog.tempUnits);
  if (const LabelRow* label = FindLabel(dialog.tempLabels, temperature))
    return temperature + " [" + ShownTemperature(label->value, dialog.tempUnits) + "]";
  return temperature;
}

void FillCombos(ProgramsDialog& dialog) {
  for (const ProgramRow& row : dialog.rows) AddOnce(dialog.names, row.program);
  for (const std::string& name : dialog.names) dialog.times.push_back("*" + name + " [Prog.]");
  for (const ProgramRow& row : dialog.rows)
    if (IsLiteralTime(row.time)) AddOnce(dialog.times, " " + row.time);
  for (const LabelRow& label : dialog.hourLabels) AddOnce(dialog.times, " " + TimeForm(dialog, label.name));
  for (const ProgramRow& row : dialog.rows)
    if (ReadNumber(row.temperature) != 0) AddOnce(dialog.temps, TempForm(dialog, row.temperature));
  for (const LabelRow& label : dialog.tempLabels) AddOnce(dialog.temps, TempForm(dialog, label.name));
}

std::string ProgramsStamp(const ScheduleState& schedule) {
  return Fingerprint(ScheduleFileText(schedule, kProgramsKind));
}

struct ParsedStep {
  ProgramRow row;
  bool handsOver = false;
};

// Steps 2 and 3 of Add: the time and temperature fields from the texts.
std::optional<MessageBoxRequest> ParseStep(const ProgramsDialog& dialog, std::string_view timeText,
                                           std::string_view tempText, ParsedStep& step) {
  std::string_view time = WithoutLeadingBlanks(timeText);
  if (!time.empty() && time[0] == '*') {
    step.handsOver = true;
    step.row.time = NameOfForm(time.substr(1));
    if (!Contains(dialog.names, step.row.time))
      return ErrorBox("SELECT a PROGRAM from the List", "NOT a VALID LABEL");
  } else if (IsForm(time)) {
    step.row.time = NameOfForm(time);
  } else if (auto typed = TypedClockTime(time)) {
    step.row.time = *typed;
  } else {
    return BadTimeBox();
  }
  if (step.handsOver) return FieldRefusal(step.row.time);
  std::string_view temperature = WithoutLeadingBlanks(tempText);
  if (IsForm(temperature)) {
    step.row.temperature = NameOfForm(temperature);
  } else if (auto typed = TypedScheduleTemperature(temperature, dialog.tempUnits)) {
    step.row.temperature = *typed;
  } else {
    return BadTemperatureBox(dialog.tempUnits);
  }
  if (auto refusal = FieldRefusal(step.row.time)) return refusal;
  return FieldRefusal(step.row.temperature);
}

bool StandsIn(const std::vector<ProgramRow>& table, const ProgramRow& row) {
  return std::find(table.begin(), table.end(), row) != table.end();
}

// What Add says of a step that stands nowhere in the table: a time that is
// not "hh:mm" nor names an hour label or a program, a temperature that is
// not a number from 5 to 30 nor names a temperature label. A step that
// stands in the table already was taken before, or read from its file, and
// is kept as it is even when a label it names has gone since.
std::optional<MessageBoxRequest> StepRefusal(const ScheduleState& schedule,
                                             const std::vector<ProgramRow>& rows, const ProgramRow& row,
                                             uint8_t unit) {
  if (StandsIn(schedule.programRows, row)) return std::nullopt;
  if (row.program.empty()) return ErrorBox("ENTER a Program NAME", "NO PROGRAM NAME");
  if (StartsWithDigit(row.time)) {
    if (!IsScheduleTime(row.time)) return BadTimeBox();
  } else if (IsProgram(rows, row.time)) {
    return std::nullopt;  // a hand-over uses no temperature
  } else if (!FindLabel(schedule.hourLabels, row.time)) {
    return BadTimeBox();
  }
  bool known = StartsWithDigit(row.temperature)
                   ? IsScheduleTemperature(row.temperature)
                   : !row.temperature.empty() && FindLabel(schedule.tempLabels, row.temperature) != nullptr;
  if (!known) return BadTemperatureBox(unit);
  return std::nullopt;
}

// What no table may hold: more rows than its capacity, a field the file
// cannot keep, a step Add would refuse, a hand-over loop. The first row
// at fault refuses the whole table.
std::optional<MessageBoxRequest> StorageRefusal(const ScheduleState& schedule,
                                                const std::vector<ProgramRow>& rows, uint8_t unit) {
  if (rows.size() > kProgramRowCapacity)
    return ErrorBox("The PROGRAMS Table can hold at most 200 Steps", "TABLE FULL");
  for (const ProgramRow& row : rows) {
    for (const std::string* field : {&row.program, &row.time, &row.temperature})
      if (auto refusal = FieldRefusal(*field)) return refusal;
    if (auto refusal = StepRefusal(schedule, rows, row, unit)) return refusal;
    auto target = HandOverTarget(rows, row);
    if (target && LeadsTo(rows, *target, row.program)) return LoopBox();
  }
  return std::nullopt;
}

std::optional<MessageBoxRequest> DayLimitRefusal(const std::vector<ProgramRow>& before,
                                                 const std::vector<ProgramRow>& after) {
  std::set<std::string> programs;
  for (const ProgramRow& row : after) programs.insert(row.program);
  for (const std::string& program : programs) {
    size_t slots = SlotsOf(after, program);
    if (slots > kMaxDaySlots && slots > SlotsOf(before, program))
      return ErrorBox("A DAY can hold at most 29 Steps: with this one, " + program + " would have " +
                          std::to_string(slots) + " (hand-overs followed)",
                      "TOO MANY STEPS");
  }
  return std::nullopt;
}

}  // namespace

ProgramsDialog OpenProgramsDialog(const RunState& state) {
  const ScheduleState& schedule = state.schedule;
  ProgramsDialog dialog;
  dialog.rows = schedule.programRows;
  dialog.hourLabels = schedule.hourLabels;
  dialog.tempLabels = schedule.tempLabels;
  dialog.tempUnits = state.settings.tempUnits != 0 ? 1 : 0;
  dialog.stamp = ProgramsStamp(schedule);
  FillCombos(dialog);
  if (!dialog.names.empty()) dialog.shown = dialog.names.front();
  return dialog;
}

namespace {

// The dialog opened again on the current tables, showing the same program
// while it exists.
void Reopen(const RunState& state, ProgramsDialog& dialog) {
  std::string shown = dialog.shown;
  dialog = OpenProgramsDialog(state);
  if (Contains(dialog.names, shown)) dialog.shown = shown;
}

}  // namespace

std::vector<DialogListRow> ProgramSteps(const ProgramsDialog& dialog) {
  std::vector<DialogListRow> lines;
  for (size_t i = 0; i < dialog.rows.size(); ++i) {
    const ProgramRow& row = dialog.rows[i];
    if (row.program != dialog.shown) continue;
    lines.push_back({ListNumber(lines.size() + 1),
                     {row.program, TimeForm(dialog, row.time), TempForm(dialog, row.temperature)},
                     i});
  }
  return lines;
}

StepAdded AddProgramStep(ProgramsDialog& dialog, std::string_view nameText, std::string_view time,
                         std::string_view temperature) {
  std::string name(WithoutLeadingBlanks(nameText));
  if (name.empty()) return {ErrorBox("ENTER a Program NAME", "NO PROGRAM NAME")};
  if (auto refusal = FieldRefusal(name)) return {refusal};
  ParsedStep step;
  step.row.program = name;
  if (auto refusal = ParseStep(dialog, time, temperature, step)) return {refusal};
  if (step.handsOver && (step.row.time == name || LeadsTo(dialog.rows, step.row.time, name)))
    return {LoopBox()};

  // The new step replaces every earlier step of its program at the same time.
  std::vector<ProgramRow> rows = dialog.rows;
  auto replaced = std::remove_if(rows.begin(), rows.end(), [&](const ProgramRow& r) {
    return r.program == name && r.time == step.row.time;
  });
  bool replacing = replaced != rows.end();
  rows.erase(replaced, rows.end());
  rows.push_back(step.row);
  if (rows.size() > kProgramRowCapacity)
    return {ErrorBox("The PROGRAMS Table can hold at most 200 Steps", "TABLE FULL")};
  std::vector<ProgramRow> sortedBefore = dialog.rows, sortedAfter = rows;
  SortProgramRows(sortedBefore);
  SortProgramRows(sortedAfter);
  if (auto refusal = DayLimitRefusal(sortedBefore, sortedAfter)) return {refusal};

  dialog.rows = replacing ? sortedAfter : rows;
  StepAdded added;
  added.newProgram = !Contains(dialog.names, name);
  if (added.newProgram) dialog.names.push_back(name);
  dialog.shown = name;
  return added;
}

void DeleteProgramSteps(ProgramsDialog& dialog, const std::vector<size_t>& ticked) {
  std::set<size_t> doomed(ticked.begin(), ticked.end());
  for (auto it = doomed.rbegin(); it != doomed.rend(); ++it) {
    if (*it < dialog.rows.size() && dialog.rows[*it].program == dialog.shown)
      dialog.rows.erase(dialog.rows.begin() + static_cast<std::ptrdiff_t>(*it));
  }
  if (!IsProgram(dialog.rows, dialog.shown))
    dialog.names.erase(std::remove(dialog.names.begin(), dialog.names.end(), dialog.shown),
                       dialog.names.end());
}

void DeleteAllProgramSteps(ProgramsDialog& dialog) {
  std::vector<size_t> all;
  for (const DialogListRow& line : ProgramSteps(dialog)) all.push_back(line.index);
  DeleteProgramSteps(dialog, all);
}

void SortProgramRows(std::vector<ProgramRow>& rows) {
  std::stable_sort(rows.begin(), rows.end(), [](const ProgramRow& a, const ProgramRow& b) {
    return a.program != b.program ? a.program < b.program : a.time < b.time;
  });
  // Hand-overs (no temperature) end their program: the expansion leaves a
  // program at its first hand-over.
  for (auto run = rows.begin(); run != rows.end();) {
    auto end = std::find_if(run, rows.end(), [&](const ProgramRow& r) { return r.program != run->program; });
    std::stable_partition(run, end, [](const ProgramRow& r) { return !r.temperature.empty(); });
    run = end;
  }
}

void FillProgramBox(RunState& state) {
  ScheduleState& schedule = state.schedule;
  schedule.programBox.clear();
  for (const ProgramRow& row : schedule.programRows)
    if (schedule.programBox.empty() || schedule.programBox.back() != row.program)
      schedule.programBox.push_back(row.program);
}

void AnnounceProgramName(RunState& state, std::string_view name) {
  AddOnce(state.schedule.programBox, std::string(name));
  state.control.changeFlags |= kProgramFieldsFlag;
}

std::optional<MessageBoxRequest> ApplyPrograms(ControlHost& host, ProgramsDialog& dialog, bool save) {
  ScheduleState& schedule = host.State().schedule;
  if (ProgramsStamp(schedule) != dialog.stamp) {
    Reopen(host.State(), dialog);
    return ChangedElsewhereBox();
  }
  if (auto refusal = StorageRefusal(schedule, dialog.rows, dialog.tempUnits)) return refusal;
  SortProgramRows(dialog.rows);
  schedule.programRows = dialog.rows;
  if (save) SaveScheduleFile(host.Files(), schedule, kProgramsKind);
  dialog.stamp = ProgramsStamp(schedule);
  return std::nullopt;
}

void RestorePrograms(ControlHost& host, ProgramsDialog& dialog) {
  LoadScheduleFiles(host.Files(), host.State().schedule);
  Reopen(host.State(), dialog);
}

bool NeedsControlThread(ProgramsAction::Kind kind) {
  using Kind = ProgramsAction::Kind;
  return kind == Kind::kOpen || kind == Kind::kApply || kind == Kind::kSave || kind == Kind::kRestore;
}

ProgramsView ActOnPrograms(ControlHost* host, ProgramsAction action) {
  using Kind = ProgramsAction::Kind;
  ProgramsView view;
  view.dialog = action.kind == Kind::kOpen ? OpenProgramsDialog(host->State()) : std::move(*action.dialog);
  ProgramsDialog& dialog = view.dialog;
  switch (action.kind) {
    case Kind::kOpen:
      break;
    case Kind::kChoose:
      dialog.shown = action.program;
      break;
    case Kind::kAdd: {
      StepAdded added = AddProgramStep(dialog, action.name, action.time, action.temperature);
      view.box = added.refusal;
      if (added.newProgram) view.newProgram = dialog.shown;
      break;
    }
    case Kind::kDelete:
      DeleteProgramSteps(dialog, action.ticked);
      break;
    case Kind::kDeleteAll:
      DeleteAllProgramSteps(dialog);
      break;
    case Kind::kApply:
    case Kind::kSave:
      view.box = ApplyPrograms(*host, dialog, action.kind == Kind::kSave);
      view.closed = !view.box.has_value();
      break;
    case Kind::kRestore:
      RestorePrograms(*host, dialog);
      break;
  }
  view.lines = ProgramSteps(dialog);
  return view;
}

}  // namespace kelvora
