#include "Monitor/ui/labels_dialog.h"

#include <algorithm>
#include <set>

#include "Monitor/schedule/schedule_files.h"

namespace kelvora {

namespace {

bool Contains(const std::vector<std::string>& list, std::string_view text) {
  return std::find(list.begin(), list.end(), text) != list.end();
}

void AddOnce(std::vector<std::string>& list, std::string text) {
  if (!text.empty() && !Contains(list, text)) list.push_back(std::move(text));
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

std::vector<LabelRow> TableOf(const ScheduleState& schedule, uint8_t mode) {
  std::vector<LabelRow> rows;
  if (mode == kDaysMode)
    for (const DayRow& r : schedule.dayRows) rows.push_back({r.day, r.program});
  if (mode == kHolidaysMode)
    for (const HolidayRow& r : schedule.holidayRows) rows.push_back({r.date, r.program});
  if (mode == kHoursMode) rows = schedule.hourLabels;
  if (mode == kTempsMode) rows = schedule.tempLabels;
  return rows;
}

void StoreTable(ScheduleState& schedule, uint8_t mode, const std::vector<LabelRow>& rows) {
  if (mode == kDaysMode) {
    schedule.dayRows.clear();
    for (const LabelRow& r : rows) schedule.dayRows.push_back({r.name, r.value});
  }
  if (mode == kHolidaysMode) {
    schedule.holidayRows.clear();
    for (const LabelRow& r : rows) schedule.holidayRows.push_back({r.name, r.value});
  }
  if (mode == kHoursMode) schedule.hourLabels = rows;
  if (mode == kTempsMode) schedule.tempLabels = rows;
}

std::string TableStamp(const ScheduleState& schedule, uint8_t mode) {
  return Fingerprint(ScheduleFileText(schedule, mode));
}

std::string ShownValue(const LabelsDialog& dialog, const std::string& value) {
  return dialog.mode == kTempsMode ? ShownTemperature(value, dialog.tempUnits) : value;
}

void SortRows(std::vector<LabelRow>& rows) {
  std::stable_sort(rows.begin(), rows.end(),
                   [](const LabelRow& a, const LabelRow& b) { return a.name < b.name; });
}

// A date "yy/mm/dd" whose parts are two digits or "**": year 0..99, month
// 1..12, day 1..31.
bool IsHolidayDate(std::string_view date) {
  if (date.size() != 8 || date[2] != '/' || date[5] != '/') return false;
  const int lowest[] = {0, 1, 1}, highest[] = {99, 12, 31};
  for (int part = 0; part < 3; ++part) {
    std::string_view text = date.substr(static_cast<size_t>(part) * 3, 2);
    if (text == "**") continue;
    if (!IsDigit(text[0]) || !IsDigit(text[1])) return false;
    int number = (text[0] - '0') * 10 + (text[1] - '0');
    if (number < lowest[part] || number > highest[part]) return false;
  }
  return true;
}

MessageBoxRequest NotListedBox(const char* what) {
  return ErrorBox(std::string("SELECT a ") + what + " from the List", "NOT a VALID LABEL");
}

MessageBoxRequest BadDateBox() {
  return ErrorBox("DATE Must be in Format: yy/mm/dd (99/12/31)", "BAD FORMAT");
}

MessageBoxRequest NotAlphabeticBox() {
  return ErrorBox("ENTER an Alphabetic LABEL Name or SELECT one to Edit from the List",
                  "NOT a Valid LABEL NAME");
}

// The seven day names of the user's language, Sunday first.
std::vector<std::string> DayNames(const RunState& state) {
  const auto& days = state.texts.dayNameTable[state.settings.languageFrench != 0 ? 1 : 0];
  return std::vector<std::string>(days.begin() + 1, days.begin() + 8);
}

bool IsProgramName(const ScheduleState& schedule, std::string_view name) {
  return std::any_of(schedule.programRows.begin(), schedule.programRows.end(),
                     [&](const ProgramRow& row) { return row.program == name; });
}

// Step 2 of Add: the checks of the mode; `value` becomes the stored form.
std::optional<MessageBoxRequest> CheckByMode(const LabelsDialog& dialog, const std::string& label,
                                             std::string& value) {
  switch (dialog.mode) {
    case kDaysMode:
      if (!Contains(dialog.labels, label)) return NotListedBox("LABEL");
      if (!Contains(dialog.values, value)) return NotListedBox("PROGRAM");
      return std::nullopt;
    case kHolidaysMode:
      if (!IsHolidayDate(label)) return BadDateBox();
      if (!value.empty() && !Contains(dialog.values, value)) return NotListedBox("PROGRAM");
      return std::nullopt;
    default:
      break;
  }
  if (!IsLetter(label[0])) return NotAlphabeticBox();
  if (dialog.mode == kHoursMode) {
    auto time = TypedClockTime(value);
    if (!time) return BadTimeBox();
    value = *time;
    return std::nullopt;
  }
  auto celsius = TypedScheduleTemperature(value, dialog.tempUnits);
  if (!celsius) return BadTemperatureBox(dialog.tempUnits);
  value = *celsius;
  return std::nullopt;
}

// What Add says of a row, stored form, that stands nowhere in the table.
// A row that stands in it was taken before, or read from its file, and is
// kept as it is: a day name of the other language, a program deleted since.
std::optional<MessageBoxRequest> RowRefusal(const RunState& state, const LabelsDialog& dialog,
                                            const std::vector<LabelRow>& table, const LabelRow& row) {
  if (std::find(table.begin(), table.end(), row) != table.end()) return std::nullopt;
  if (row.name.empty()) return ErrorBox("ENTER a LABEL Name", "NO LABEL NAME");
  bool knownProgram = IsProgramName(state.schedule, row.value);
  switch (dialog.mode) {
    case kDaysMode:
      if (!Contains(DayNames(state), row.name)) return NotListedBox("LABEL");
      if (!knownProgram) return NotListedBox("PROGRAM");
      return std::nullopt;
    case kHolidaysMode:
      if (!IsHolidayDate(row.name)) return BadDateBox();
      if (!row.value.empty() && !knownProgram) return NotListedBox("PROGRAM");
      return std::nullopt;
    default:
      break;
  }
  if (!IsLetter(row.name[0])) return NotAlphabeticBox();
  if (dialog.mode == kHoursMode)
    return IsScheduleTime(row.value) ? std::nullopt : std::optional(BadTimeBox());
  if (!IsScheduleTemperature(row.value)) return BadTemperatureBox(dialog.tempUnits);
  return std::nullopt;
}

std::optional<MessageBoxRequest> CapacityRefusal(const LabelsDialog& dialog, size_t rows) {
  if (rows <= kScheduleRowCapacity) return std::nullopt;
  return ErrorBox("The " + LabelsTextsOf(dialog.mode).group + " Table can hold at most 100 Rows",
                  "TABLE FULL");
}

void Reopen(const RunState& state, LabelsDialog& dialog) { dialog = OpenLabelsDialog(state, dialog.mode); }

}  // namespace

LabelsTexts LabelsTextsOf(uint8_t mode) {
  switch (mode) {
    case kHolidaysMode:
      return {"Holidays Setting/Editing", "Holidays", "Dates", "Programs"};
    case kHoursMode:
      return {"Hours Setting/Editing", "Hours", "Labels", "Hours"};
    case kTempsMode:
      return {"Temps Setting/Editing", "Temps", "Labels", "Temps"};
    default:
      return {"Days Setting/Editing", "Days", "Days", "Programs"};
  }
}

LabelsDialog OpenLabelsDialog(const RunState& state, uint8_t mode) {
  const ScheduleState& schedule = state.schedule;
  LabelsDialog dialog;
  dialog.mode = mode >= kDaysMode && mode <= kTempsMode ? mode : kDaysMode;
  dialog.rows = TableOf(schedule, dialog.mode);
  dialog.tempUnits = state.settings.tempUnits != 0 ? 1 : 0;
  dialog.stamp = TableStamp(schedule, dialog.mode);
  if (dialog.mode == kDaysMode) {
    for (std::string& day : DayNames(state)) AddOnce(dialog.labels, std::move(day));
  } else {
    for (const LabelRow& row : dialog.rows) AddOnce(dialog.labels, row.name);
  }
  if (dialog.mode <= kHolidaysMode) {
    for (const ProgramRow& row : schedule.programRows) AddOnce(dialog.values, row.program);
  } else {
    for (const LabelRow& row : dialog.rows) AddOnce(dialog.values, ShownValue(dialog, row.value));
  }
  SortRows(dialog.rows);
  return dialog;
}

std::vector<DialogListRow> LabelLines(const LabelsDialog& dialog) {
  std::vector<DialogListRow> lines;
  for (size_t i = 0; i < dialog.rows.size(); ++i)
    lines.push_back({ListNumber(i + 1), {dialog.rows[i].name, ShownValue(dialog, dialog.rows[i].value)}, i});
  return lines;
}

std::optional<MessageBoxRequest> AddLabel(LabelsDialog& dialog, std::string_view labelText,
                                          std::string_view valueText) {
  std::string label(WithoutLeadingBlanks(labelText));
  std::string value(WithoutLeadingBlanks(valueText));
  if (label.empty()) return ErrorBox("ENTER a LABEL Name", "NO LABEL NAME");
  if (auto refusal = CheckByMode(dialog, label, value)) return refusal;
  if (auto refusal = FieldRefusal(label)) return refusal;
  if (auto refusal = FieldRefusal(value)) return refusal;

  std::vector<LabelRow> rows = dialog.rows;
  std::erase_if(rows, [&](const LabelRow& r) { return r.name == label; });
  rows.push_back({label, value});
  if (auto refusal = CapacityRefusal(dialog, rows.size())) return refusal;
  SortRows(rows);
  dialog.rows = std::move(rows);
  if (dialog.mode != kDaysMode) {
    AddOnce(dialog.values, ShownValue(dialog, value));
    AddOnce(dialog.labels, label);
  }
  return std::nullopt;
}

void DeleteLabels(LabelsDialog& dialog, const std::vector<size_t>& ticked) {
  std::set<size_t> doomed(ticked.begin(), ticked.end());
  for (auto it = doomed.rbegin(); it != doomed.rend(); ++it) {
    if (*it >= dialog.rows.size()) continue;
    if (dialog.mode != kDaysMode) std::erase(dialog.labels, dialog.rows[*it].name);
    dialog.rows.erase(dialog.rows.begin() + static_cast<std::ptrdiff_t>(*it));
  }
}

void DeleteAllLabels(LabelsDialog& dialog) {
  std::vector<size_t> all(dialog.rows.size());
  for (size_t i = 0; i < all.size(); ++i) all[i] = i;
  DeleteLabels(dialog, all);
}

std::optional<MessageBoxRequest> ApplyLabels(ControlHost& host, LabelsDialog& dialog, bool save) {
  ScheduleState& schedule = host.State().schedule;
  if (TableStamp(schedule, dialog.mode) != dialog.stamp) {
    Reopen(host.State(), dialog);
    return ChangedElsewhereBox();
  }
  if (auto refusal = CapacityRefusal(dialog, dialog.rows.size())) return refusal;
  // The working copy comes back from the page: every row is checked as Add
  // checks it, and the first row at fault refuses the whole table.
  std::vector<LabelRow> table = TableOf(schedule, dialog.mode);
  for (const LabelRow& row : dialog.rows) {
    if (auto refusal = FieldRefusal(row.name)) return refusal;
    if (auto refusal = FieldRefusal(row.value)) return refusal;
    if (auto refusal = RowRefusal(host.State(), dialog, table, row)) return refusal;
  }
  StoreTable(schedule, dialog.mode, dialog.rows);
  if (save) SaveScheduleFile(host.Files(), schedule, dialog.mode);
  dialog.stamp = TableStamp(schedule, dialog.mode);
  return std::nullopt;
}

void RestoreLabels(ControlHost& host, LabelsDialog& dialog) {
  LoadScheduleFiles(host.Files(), host.State().schedule);
  Reopen(host.State(), dialog);
}

bool NeedsControlThread(LabelsAction::Kind kind) {
  using Kind = LabelsAction::Kind;
  return kind == Kind::kOpen || kind == Kind::kApply || kind == Kind::kSave || kind == Kind::kRestore;
}

LabelsView ActOnLabels(ControlHost* host, LabelsAction action) {
  using Kind = LabelsAction::Kind;
  LabelsView view;
  view.dialog =
      action.kind == Kind::kOpen ? OpenLabelsDialog(host->State(), action.mode) : std::move(*action.dialog);
  LabelsDialog& dialog = view.dialog;
  switch (action.kind) {
    case Kind::kOpen:
      break;
    case Kind::kAdd:
      view.box = AddLabel(dialog, action.label, action.value);
      break;
    case Kind::kDelete:
      DeleteLabels(dialog, action.ticked);
      break;
    case Kind::kDeleteAll:
      DeleteAllLabels(dialog);
      break;
    case Kind::kApply:
    case Kind::kSave:
      view.box = ApplyLabels(*host, dialog, action.kind == Kind::kSave);
      view.closed = !view.box.has_value();
      break;
    case Kind::kRestore:
      RestoreLabels(*host, dialog);
      break;
  }
  view.texts = LabelsTextsOf(dialog.mode);
  view.lines = LabelLines(dialog);
  return view;
}

}  // namespace kelvora
