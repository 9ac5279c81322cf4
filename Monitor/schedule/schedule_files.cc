#include "Monitor/schedule/schedule_files.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>
#include <utility>

namespace kelvora {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// The order of the load; the Holidays file comes first, unlike the kinds.
constexpr std::array<uint8_t, 5> kLoadOrder{kHolidaysKind, kProgramsKind, kDaysKind, kHoursKind, kTempsKind};

// The fields of each kind of row, in file order.
constexpr std::array<std::string ProgramRow::*, 3> kProgramFields{&ProgramRow::program, &ProgramRow::time,
                                                                  &ProgramRow::temperature};
constexpr std::array<std::string DayRow::*, 2> kDayFields{&DayRow::day, &DayRow::program};
constexpr std::array<std::string HolidayRow::*, 2> kHolidayFields{&HolidayRow::date, &HolidayRow::program};
constexpr std::array<std::string LabelRow::*, 2> kLabelFields{&LabelRow::name, &LabelRow::value};

// Calls visit(table, fields, capacity) for the table of `kind`; an unknown
// kind calls nothing.
template <typename State, typename Visit>
void VisitTable(State& schedule, uint8_t kind, Visit visit) {
  switch (kind) {
    case kProgramsKind:
      return visit(schedule.programRows, kProgramFields, kProgramRowCapacity);
    case kDaysKind:
      return visit(schedule.dayRows, kDayFields, kScheduleRowCapacity);
    case kHolidaysKind:
      return visit(schedule.holidayRows, kHolidayFields, kScheduleRowCapacity);
    case kHoursKind:
      return visit(schedule.hourLabels, kLabelFields, kScheduleRowCapacity);
    case kTempsKind:
      return visit(schedule.tempLabels, kLabelFields, kScheduleRowCapacity);
    default:
      return;
  }
}

// Reads the field that starts at `pos` into `field` (which is empty); returns
// where the next field starts, just after its ",", or npos at the line's end.
size_t ReadField(std::string_view line, size_t pos, std::string& field) {
  while (pos < line.size() && line[pos] == ' ') ++pos;
  if (pos < line.size() && line[pos] == '"') {
    size_t close = line.find('"', pos + 1);
    if (close != std::string_view::npos) {
      field.assign(line.substr(pos + 1, close - pos - 1));
      pos = close + 1;
    }
  }
  size_t comma = line.find(',', pos);
  field.append(line.substr(pos, comma == std::string_view::npos ? comma : comma - pos));
  return comma == std::string_view::npos ? comma : comma + 1;
}

template <typename Row, size_t N>
Row RowFromLine(std::string_view line, const std::array<std::string Row::*, N>& fields) {
  std::vector<std::string> values = SplitScheduleLine(line, N);
  Row row;
  for (size_t i = 0; i < N; ++i) row.*fields[i] = std::move(values[i]);
  return row;
}

template <typename Row, size_t N>
std::string LineOf(const Row& row, const std::array<std::string Row::*, N>& fields) {
  std::string line;
  for (size_t i = 0; i < N; ++i) {
    if (i > 0) line += ',';
    line += row.*fields[i];
  }
  line += kLineEnd;
  return line;
}

// The rows of the lines that `nextLine` gives (nullopt at the end), up to
// `capacity`. An empty line carries no field, not even an empty one (a row
// of empty fields is written as commas), so it adds no row: a file that
// ends with a line end, or with blank lines, reads back with its rows only.
template <typename Row, size_t N, typename NextLine>
std::vector<Row> ReadRows(const std::array<std::string Row::*, N>& fields, size_t capacity,
                          NextLine nextLine) {
  std::vector<Row> rows;
  while (rows.size() < capacity) {
    std::optional<std::string> line = nextLine();
    if (!line) break;
    if (line->empty()) continue;
    rows.push_back(RowFromLine(*line, fields));
  }
  return rows;
}

// Lines of a text in memory, cut as FileLayer::ReadLine cuts a file's.
class TextLines {
 public:
  explicit TextLines(std::string_view text) : text_(text) {}
  std::optional<std::string> operator()() {
    if (position_ >= text_.size()) return std::nullopt;
    size_t end = text_.find('\n', position_);
    if (end == std::string_view::npos) end = text_.size();
    std::string line(text_.substr(position_, end - position_));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    position_ = end + 1;
    return line;
  }

 private:
  std::string_view text_;
  size_t position_ = 0;
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Why a hand-edited row cannot be used, or empty. Names (a field that does
// not start with a digit) are looked up later; only times and numbers are
// checked here. A row that hands over to another program uses no
// temperature.
std::string RowProblem(uint8_t kind, const ProgramRow& row, const std::vector<ProgramRow>& rows) {
  if (kind != kProgramsKind) return {};
  bool literalTime = !row.time.empty() && IsDigit(row.time[0]);
  if (literalTime && !IsScheduleTime(row.time)) return "the time is not hh:mm";
  bool handOver = !literalTime && std::any_of(rows.begin(), rows.end(), [&](const ProgramRow& other) {
    return !row.time.empty() && other.program == row.time;
  });
  if (!handOver && !row.temperature.empty() && IsDigit(row.temperature[0]) &&
      !IsScheduleTemperature(row.temperature))
    return "the temperature is not a number from 5 to 30";
  return {};
}
std::string RowProblem(uint8_t kind, const LabelRow& row, const std::vector<LabelRow>&) {
  if (kind == kHoursKind && !IsScheduleTime(row.value)) return "the time is not hh:mm";
  if (kind == kTempsKind && !IsScheduleTemperature(row.value))
    return "the temperature is not a number from 5 to 30";
  return {};
}
template <typename Row>
std::string RowProblem(uint8_t, const Row&, const std::vector<Row>&) {
  return {};
}

// Leaves out the rows that cannot be used, each with a console line.
template <typename Row, size_t N>
void SkipUnusableRows(uint8_t kind, std::vector<Row>& rows, const std::array<std::string Row::*, N>& fields,
                      std::string& report) {
  std::vector<Row> kept;
  for (size_t i = 0; i < rows.size(); ++i) {
    std::string problem = RowProblem(kind, rows[i], rows);
    if (problem.empty()) {
      kept.push_back(rows[i]);
      continue;
    }
    std::string line = LineOf(rows[i], fields);
    line.resize(line.size() - kLineEnd.size());
    report += std::string(ScheduleFileName(kind)) + " row " + std::to_string(i + 1) + " (" + line +
              "): " + problem + "; the row is skipped.\n";
  }
  rows = std::move(kept);
}

void LoadScheduleFile(FileLayer& files, ScheduleState& schedule, uint8_t kind, std::string& report) {
  VisitTable(schedule, kind, [&](auto& table, const auto& fields, size_t capacity) {
    FileId id = files.OpenInput(ScheduleFileName(kind));
    if (id == kNoFile) return;  // the handler skipped the open: the table stays as it was
    auto rows = ReadRows(fields, capacity, [&] { return files.ReadLine(id); });
    // A read that failed and was skipped ends the lines before the end of
    // the file; part of a file must not replace a whole table.
    bool complete = rows.size() >= capacity || files.AtEnd(id);
    files.Close(id);
    if (!complete) return;
    SkipUnusableRows(kind, rows, fields, report);
    table = std::move(rows);
  });
}

}  // namespace

bool IsScheduleTime(std::string_view text) {
  if (text.size() != 5 || text[2] != ':') return false;
  for (size_t i : {0, 1, 3, 4}) {
    if (!IsDigit(text[i])) return false;
  }
  // Times compare as texts, so "6:30" would sort after "22:00".
  return text == "24:00" || (text.substr(0, 2) <= "23" && text[3] <= '5');
}

bool IsScheduleTemperature(std::string_view text) {
  double value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && value >= kMinSlotTemperature &&
         value <= kMaxSlotTemperature;
}

std::string_view ScheduleFileName(uint8_t kind) {
  switch (kind) {
    case kProgramsKind:
      return "PROGRAMS.prg";
    case kDaysKind:
      return "DAYS.prg";
    case kHolidaysKind:
      return "HOLIDAYS.prg";
    case kHoursKind:
      return "HOURS.prg";
    case kTempsKind:
      return "TEMPS.prg";
    default:
      return {};
  }
}

std::vector<std::string> SplitScheduleLine(std::string_view line, size_t fieldCount) {
  std::vector<std::string> fields(fieldCount);
  if (fieldCount == 0) return fields;
  size_t pos = 0;
  for (std::string& field : fields) {
    pos = ReadField(line, pos, field);
    if (pos == std::string_view::npos) return fields;
  }
  // More fields than the row has: the last one keeps the rest, its "," included.
  fields.back().append(line.substr(pos - 1));
  return fields;
}

void ReadScheduleText(uint8_t kind, std::string_view text, ScheduleState& schedule) {
  VisitTable(schedule, kind, [&](auto& table, const auto& fields, size_t capacity) {
    table = ReadRows(fields, capacity, TextLines(text));
  });
}

std::string ScheduleFileText(const ScheduleState& schedule, uint8_t kind) {
  std::string text;
  VisitTable(schedule, kind, [&](const auto& table, const auto& fields, size_t) {
    for (const auto& row : table) text += LineOf(row, fields);
  });
  return text;
}

std::string LoadScheduleFiles(FileLayer& files, ScheduleState& schedule) {
  std::string report;
  for (uint8_t kind : kLoadOrder) LoadScheduleFile(files, schedule, kind, report);
  return report;
}

void SaveScheduleFile(FileLayer& files, const ScheduleState& schedule, uint8_t kind) {
  std::string_view name = ScheduleFileName(kind);
  if (name.empty()) return;
  FileId id = files.OpenOutput(name);
  if (id == kNoFile) return;  // the handler skipped the open: the old file stays
  // One write per row, so that a write the user chooses to skip costs that
  // row and not the whole table.
  VisitTable(schedule, kind, [&](const auto& table, const auto& fields, size_t) {
    for (const auto& row : table) files.Write(id, LineOf(row, fields));
  });
  files.Close(id);
}

}  // namespace kelvora
