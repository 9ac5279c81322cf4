#include "Monitor/statistics/day_files.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

#include "Functions/formulas.h"
#include "Monitor/card/sensors.h"
#include "Monitor/control/cycle_log.h"
#include "Monitor/core/clock_text.h"
#include "Monitor/core/kept_files.h"
#include "Monitor/core/print_zone.h"
#include "Monitor/core/text_number.h"
#include "Monitor/statistics/accounting.h"
#include "Monitor/statistics/season_file.h"

namespace kelvora {
namespace {

constexpr std::string_view kStatFile = "STAT.DAT";
constexpr std::string_view kCycleFile = "CYCLE.DAT";
constexpr int kDayCycleRows = 500;
constexpr int kDayStripRows = 15;
constexpr int kLastSecondOfDay = 86399;
// A day holds no more cycles than seconds, no more strip lines than minutes
// and no strip column beyond two per cycle. Larger counts are damage, and
// refusing them keeps a damaged count from claiming the memory.
constexpr int kMaxCycleRows = 86400;
constexpr int kMaxStripRows = 1440;
constexpr int kMaxStripColumn = 2 * kMaxCycleRows + 1;

// The five statistics in the order the file keeps them.
template <typename Day>
auto StatisticsOf(Day& day) {
  return std::array{&day.interior, &day.exterior, &day.windChill, &day.sun, &day.wind};
}

// --- Reading ------------------------------------------------------------------

// The lines of a file, read in order, each without its CR LF.
class Lines {
 public:
  explicit Lines(std::string_view text) : text_(text) {}

  // nullopt past the end; the line number counts the missing line too.
  std::optional<std::string_view> Next() {
    ++number_;
    if (pos_ >= text_.size()) return std::nullopt;
    size_t end = std::min(text_.find('\n', pos_), text_.size());
    std::string_view line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
  }
  // Whether nothing but blanks and line ends is left.
  bool RestIsBlank() const {
    return pos_ >= text_.size() || text_.find_first_not_of(" \t\r\n", pos_) == std::string_view::npos;
  }
  int Number() const { return number_; }

 private:
  std::string_view text_;
  size_t pos_ = 0;
  int number_ = 0;
};

// Reads the items of the next line in order and remembers the first problem,
// so a caller reads a whole line and checks once.
class LineReader {
 public:
  LineReader(Lines& lines, std::string* problem) : problem_(problem) {
    std::optional<std::string_view> line = lines.Next();
    where_ = "line " + std::to_string(lines.Number());
    if (!line) {
      Fail("the file ends before it");
      return;
    }
    // The writer never puts a carriage return inside a line, not even in a text.
    if (line->find('\r') != std::string_view::npos) {
      Fail("it holds a stray carriage return");
      return;
    }
    std::optional<std::vector<ZoneItem>> items = SplitZoneItems(*line);
    if (items) {
      items_ = std::move(*items);
    } else {
      Fail("a quoted text is not closed");
    }
  }

  float Number() {
    std::optional<double> value = NextNumber();
    return value ? static_cast<float>(*value) : 0.0f;
  }
  int Integer(int low, int high) {
    std::optional<double> value = NextNumber();
    if (!value) return 0;
    if (*value != std::floor(*value) || *value < low || *value > high) {
      Fail("item " + std::to_string(next_) + " is not a whole number from " + std::to_string(low) + " to " +
           std::to_string(high));
      return 0;
    }
    return static_cast<int>(*value);
  }
  std::string Text() {
    const ZoneItem* item = NextItem();
    if (item == nullptr) return {};
    if (!item->quoted) Fail("item " + std::to_string(next_) + " is not a quoted text");
    return std::string(item->text);
  }
  // True when the line held exactly the items read and all were good.
  bool Finish() {
    if (ok_ && next_ != items_.size()) Fail("it holds more than " + std::to_string(next_) + " items");
    return ok_;
  }

 private:
  const ZoneItem* NextItem() {
    if (!ok_) return nullptr;
    if (next_ >= items_.size()) {
      Fail("it ends after " + std::to_string(next_) + " items");
      return nullptr;
    }
    return &items_[next_++];
  }
  // A finite number that a single can hold.
  std::optional<double> NextNumber() {
    const ZoneItem* item = NextItem();
    if (item == nullptr) return std::nullopt;
    if (item->quoted || !IsDecimalText(item->text)) {
      Fail("item " + std::to_string(next_) + " is not a number");
      return std::nullopt;
    }
    double value = ReadNumber(item->text);
    if (!(std::fabs(value) <= FLT_MAX)) {
      Fail("item " + std::to_string(next_) + " is out of range");
      return std::nullopt;
    }
    return value;
  }
  void Fail(const std::string& why) {
    if (ok_ && problem_ != nullptr) *problem_ = where_ + ": " + why;
    ok_ = false;
  }

  std::string* problem_;
  std::string where_;
  std::vector<ZoneItem> items_;
  size_t next_ = 0;
  bool ok_ = true;
};

bool RestIsBlank(const Lines& lines, std::string* problem) {
  if (lines.RestIsBlank()) return true;
  if (problem != nullptr) *problem = "text follows line " + std::to_string(lines.Number());
  return false;
}

// What "STAT.DAT" holds, read whole before any of it is taken over.
struct StatValues {
  int outputByte = 0;
  int clockSeconds = 0;
  float heatingSeconds = 0;
  std::string heatingTimeText;
  float energyToday = 0, setbackSeconds = 0, setbackEnergy = 0, offSeconds = 0, onSeconds = 0;
  int stripColumn = 0, stripIndex = 0, stripRowCount = 0;
  DayStatistics day;
  std::vector<std::string> stripRows;
  std::string date;  // the day the file belongs to; empty in files that do not say
};

bool ReadCounters(Lines& lines, StatValues& v, std::string* problem) {
  LineReader line(lines, problem);
  v.outputByte = line.Integer(0, 255);
  v.clockSeconds = line.Integer(0, kLastSecondOfDay);
  v.heatingSeconds = line.Number();
  v.heatingTimeText = line.Text();
  v.energyToday = line.Number();
  v.setbackSeconds = line.Number();
  v.setbackEnergy = line.Number();
  v.offSeconds = line.Number();
  v.onSeconds = line.Number();
  return line.Finish();
}

bool ReadDayStatistics(Lines& lines, StatValues& v, std::string* problem) {
  LineReader line(lines, problem);
  v.stripColumn = line.Integer(0, kMaxStripColumn);
  v.stripIndex = line.Integer(0, kMaxCycleRows);
  v.stripRowCount = line.Integer(0, kMaxStripRows);
  v.day.dayWeightSeconds = line.Number();
  for (Statistic* statistic : StatisticsOf(v.day)) {
    statistic->minimum = line.Number();
    statistic->sum = line.Number();
    statistic->maximum = line.Number();
  }
  v.day.sunHourMax = line.Number();
  return line.Finish();
}

bool ReadStripRows(Lines& lines, StatValues& v, std::string* problem) {
  for (int row = 1; row <= v.stripRowCount; ++row) {
    LineReader line(lines, problem);
    v.stripRows.push_back(line.Text());
    if (!line.Finish()) return false;
  }
  return true;
}

// The day's date, on a line of its own after everything else, so that a
// reader that knows nothing of it stops before it.
bool ReadDate(Lines& lines, StatValues& v, std::string* problem) {
  if (lines.RestIsBlank()) return true;
  LineReader line(lines, problem);
  v.date = line.Text();
  return line.Finish();
}

bool ParseStatValues(std::string_view text, StatValues& values, std::string* problem) {
  Lines lines(text);
  return ReadCounters(lines, values, problem) && ReadDayStatistics(lines, values, problem) &&
         ReadStripRows(lines, values, problem) && ReadDate(lines, values, problem) &&
         RestIsBlank(lines, problem);
}

// The day's counters and statistics: all that its record in "TEMP.DAT" holds
// but the date.
void TakeOverCounters(const StatValues& v, StatisticsState& s) {
  s.heatingSeconds = v.heatingSeconds;
  s.heatingTimeText = v.heatingTimeText;
  s.energyToday = v.energyToday;
  s.setbackSeconds = v.setbackSeconds;
  s.setbackEnergy = v.setbackEnergy;
  s.offSeconds = v.offSeconds;
  s.onSeconds = v.onSeconds;
  // The "Last Cycles" texts show the restored periods, beside their restored shares.
  SetPeriodTexts(s);
  s.day = v.day;
}

void TakeOver(const StatValues& v, const StatisticsParts& parts) {
  ControlState& c = parts.control;
  parts.card.outputByte |= static_cast<uint8_t>(v.outputByte);
  parts.clock.clockSeconds = v.clockSeconds;
  TakeOverCounters(v, parts.statistics);
  c.stripColumn = v.stripColumn;
  c.stripIndex = v.stripIndex;
  c.stripRowCount = v.stripRowCount;
  c.stripRows.Dimension(v.stripRowCount);
  for (int row = 1; row <= v.stripRowCount; ++row) c.stripRows(row) = v.stripRows[row - 1];
}

// --- Start-up -------------------------------------------------------------------

// The text of a day file, "" when it holds nothing. Opened for records and
// closed at once first: a missing file is created empty.
std::string ReadDayFile(FileLayer& files, std::string_view name) {
  files.Close(files.OpenRecord(name, 1));
  std::string text = files.ReadWholeFile(name);
  if (text.find_first_not_of(" \t\r\n") == std::string::npos) return {};
  return text;
}

// Day files left by a run that ended before midnight belong to that day:
// its record goes into the season file and today starts afresh, instead of
// the old day's counters running on into today.
void CloseEarlierDay(const StatisticsParts& parts, const StatisticsServices& services,
                     const StatValues& values) {
  StatisticsState day;
  TakeOverCounters(values, day);
  AppendDayRecord(parts, services, day, values.date);
  // As at midnight: the closed day's files go, "STAT.DAT" last.
  services.files.Remove(kCycleFile);
  services.files.Remove(kStatFile);
  services.console.ConsoleWrite(std::string(kStatFile) + " and " + std::string(kCycleFile) +
                                " were left on " + values.date +
                                "; that day's record is now in TEMP.DAT and today starts afresh.\n");
}

// Day files dated later than the clock (the clock set back over midnight)
// are no day of this season yet: they are kept under other names, and today
// starts afresh.
void SetLaterDayAside(const StatisticsServices& services, const std::string& date) {
  FileLayer& files = services.files;
  std::string aside;
  for (std::string_view name : {kCycleFile, kStatFile}) {
    if (!files.Exists(name)) continue;
    aside = FreeFileName(files, std::string(name) + ".later");
    if (!aside.empty()) files.Rename(name, aside);
  }
  services.console.ConsoleWrite(std::string(kStatFile) + " is dated " + date +
                                ", later than today; it is kept as " + aside + " and today starts afresh.\n");
}

// Reads "STAT.DAT" into the state. False when the day files belong to an
// earlier day, which is closed instead. A damaged file is kept in a copy
// and the day goes on as if the file held nothing.
bool RestoreStatFile(const StatisticsParts& parts, const StatisticsServices& services) {
  std::string text = ReadDayFile(services.files, kStatFile);
  // Without "STAT.DAT" a "CYCLE.DAT" is a closed day's, left by a crash.
  if (text.empty()) return false;
  StatValues values;
  std::string problem;
  if (!ParseStatValues(text, values, &problem)) {
    KeepDamagedCopy(services.files, services.console, kStatFile, problem, "the day goes on without it");
    return true;
  }
  if (!values.date.empty() && NumDate(values.date) > NumDate(parts.clock.todayDate)) {
    SetLaterDayAside(services, values.date);
    return false;
  }
  if (!values.date.empty() && values.date != parts.clock.todayDate) {
    CloseEarlierDay(parts, services, values);
    return false;
  }
  TakeOver(values, parts);
  return true;
}

void RestoreCycleFile(ControlState& control, const StatisticsServices& services) {
  std::string text = ReadDayFile(services.files, kCycleFile);
  std::string problem;
  if (text.empty() || ParseCycleFile(text, control, &problem)) return;
  KeepDamagedCopy(services.files, services.console, kCycleFile, problem, "the day goes on without it");
}

// A "STAT.DAT" saved later in the day than the clock shows comes from an
// earlier day or from before the clock was set back. Its stamp would freeze
// the clock, and with it every control pass, until that time came round again.
void KeepClockFromRunningBack(ClockState& clock, const StatisticsServices& services) {
  int32_t now = ClockSecond(services.clock);
  if (clock.clockSeconds <= now) return;
  services.console.ConsoleWrite(std::string(kStatFile) + " was saved at " +
                                FormatDuration(clock.clockSeconds) + ", later than the clock shows (" +
                                FormatDuration(now) + "); the day goes on from now.\n");
  clock.clockSeconds = now;
}

// A cycle that was running when the program stopped ends there: the time
// the program was away counts as off. An empty day starts with an off row.
void ResumeCycleRows(const StatisticsParts& parts, CardIo& io) {
  ControlState& c = parts.control;
  auto now = static_cast<float>(parts.clock.clockSeconds);
  if (c.cycleIndex == 0) {
    // The interior as the settings load last read it: in simulation a
    // fresh reading would start from the cycle table just emptied. The
    // simulated house cools from its row's start, and it starts now: from
    // midnight it would have cooled through hours it never ran.
    float start = parts.card.simulationMode != 0 ? now : 0;
    StartCycleRow(c, CycleCode::kOff, start, parts.sensors.lastInteriorRaw / 10 + 5,
                  io.ReadChannel(kExteriorChannel) / 2.55f - 50);
    c.cycleLog(1, kCycleDuration) = now - start;
    c.stripIndex = 1;
    return;
  }
  int last = c.cycleIndex;
  if (!HoldsCode(c.cycleLog(last, kCycleState), CycleCode::kOff)) {
    parts.card.outputByte = 0;
    float start = c.cycleLog(last, kCycleStart) + c.cycleLog(last, kCycleDuration);
    StartCycleRow(c, CycleCode::kOff, start, c.cycleLog(last, kCycleInterior),
                  c.cycleLog(last, kCycleExterior));
    c.cycleLog(c.cycleIndex, kCycleDuration) = std::max(0.0f, now - start);
    c.cycleLog(c.cycleIndex, kCycleEnergy) = c.cycleLog(last, kCycleEnergy);
  }
  // The strip draws rows of the cycle table: never one past its end.
  c.stripIndex = std::min(c.stripIndex, c.cycleIndex);
}

void WriteDayFile(FileLayer& files, std::string_view name, const std::string& text) {
  FileId file = files.OpenOutput(name);
  if (file == kNoFile) return;
  files.Write(file, text);
  files.Close(file);
}

}  // namespace

void ResetDayState(const StatisticsParts& parts) {
  StatisticsState& s = parts.statistics;
  // The season file stays open, and a set-back's energy mark is carried
  // into the new day by the midnight close.
  StatisticsState fresh;
  fresh.energyMark = s.energyMark;
  fresh.tempRecordCount = s.tempRecordCount;
  fresh.tempFile = s.tempFile;
  fresh.day.sun.maximum = 0;
  fresh.day.wind.maximum = 0;
  s = fresh;
  parts.clock.elapsedSeconds = 0;

  ControlState& c = parts.control;
  c.cycleIndex = 0;
  c.cycleLog.Dimension(kDayCycleRows, kCycleEnergy);
  c.stripRowCount = kDayStripRows;
  c.stripColumn = 1;
  c.stripIndex = 0;
  c.stripMinutes = 0;
  c.stripRows.Dimension(kDayStripRows);
  c.quarterLog.Dimension(c.capacities.quarter, 2);
  c.quarterRows = 0;
}

std::string StatFileText(const StatisticsParts& parts) {
  const StatisticsState& s = parts.statistics;
  const ControlState& c = parts.control;
  ZoneWriter out;
  out.Integer(parts.card.outputByte).Integer(parts.clock.clockSeconds).Number(s.heatingSeconds);
  out.Quoted(s.heatingTimeText).Number(s.energyToday).Number(s.setbackSeconds).Number(s.setbackEnergy);
  out.Number(s.offSeconds).Number(s.onSeconds).EndLine();
  out.Integer(c.stripColumn).Integer(c.stripIndex).Integer(c.stripRowCount).Number(s.day.dayWeightSeconds);
  for (const Statistic* statistic : StatisticsOf(s.day)) {
    out.Number(statistic->minimum).Number(statistic->sum).Number(statistic->maximum);
  }
  out.Number(s.day.sunHourMax).EndLine();
  // As many lines as the count says, so the file always reads back.
  for (int row = 1; row <= c.stripRowCount; ++row) {
    out.Quoted(row <= c.stripRows.Rows() ? c.stripRows(row) : std::string()).EndLine();
  }
  out.Quoted(parts.clock.todayDate).EndLine();
  return out.Text();
}

std::string CycleFileText(const ControlState& control) {
  CycleFileWriter writer;
  return writer.Text(control);
}

std::string CycleFileWriter::Text(const ControlState& control) {
  const ControlState& c = control;
  ZoneWriter count;
  count.Integer(c.cycleIndex).EndLine();
  std::string text = count.Text();
  int rows = std::min(c.cycleIndex, c.cycleLog.Rows());
  if (rows > static_cast<int>(lines_.size())) {
    values_.resize(static_cast<size_t>(rows));
    lines_.resize(static_cast<size_t>(rows));
  }
  for (int row = 1; row <= rows; ++row) {
    Row values;
    for (int column = kCycleState; column <= kCycleEnergy; ++column) values[column] = c.cycleLog(row, column);
    auto index = static_cast<size_t>(row - 1);
    // Only the running cycle's row changes from one save to the next; every
    // line starts a new zone line, so its text stands on its own.
    if (lines_[index].empty() || std::memcmp(values.data(), values_[index].data(), sizeof values) != 0) {
      ZoneWriter line;
      for (float value : values) line.Number(value);
      line.EndLine();
      values_[index] = values;
      lines_[index] = line.Text();
    }
    text += lines_[index];
  }
  return text;
}

void SaveDayState(const StatisticsParts& parts, FileLayer& files) {
  WriteDayFiles(files, StatFileText(parts), CycleFileText(parts.control));
}

void WriteDayFiles(FileLayer& files, const std::string& statText, const std::string& cycleText) {
  WriteDayFile(files, kStatFile, statText);
  WriteDayFile(files, kCycleFile, cycleText);
}

void RestoreDayState(const StatisticsParts& parts, const StatisticsServices& services) {
  int32_t ticked = parts.clock.clockSeconds;
  if (RestoreStatFile(parts, services)) {
    if (parts.clock.clockSeconds != ticked) KeepClockFromRunningBack(parts.clock, services);
    RestoreCycleFile(parts.control, services);
  }
  ResumeCycleRows(parts, services.io);
}

bool ParseStatFile(std::string_view text, const StatisticsParts& parts, std::string* problem) {
  StatValues values;
  if (!ParseStatValues(text, values, problem)) return false;
  TakeOver(values, parts);
  return true;
}

bool ParseCycleFile(std::string_view text, ControlState& control, std::string* problem) {
  Lines lines(text);
  LineReader first(lines, problem);
  int count = first.Integer(0, kMaxCycleRows);
  if (!first.Finish()) return false;
  std::vector<std::array<float, kCycleEnergy + 1>> rows;
  for (int row = 1; row <= count; ++row) {
    LineReader line(lines, problem);
    std::array<float, kCycleEnergy + 1>& values = rows.emplace_back();
    for (float& value : values) value = line.Number();
    if (!line.Finish()) return false;
  }
  if (!RestIsBlank(lines, problem)) return false;
  // Room in whole blocks, as the table grows during a day.
  int tableRows = std::max(kDayCycleRows, (count + kCycleLogGrowth - 1) / kCycleLogGrowth * kCycleLogGrowth);
  Table<float>& log = control.cycleLog;
  log.Dimension(tableRows, kCycleEnergy);
  for (int row = 1; row <= count; ++row) {
    for (int column = kCycleState; column <= kCycleEnergy; ++column) log(row, column) = rows[row - 1][column];
  }
  control.cycleIndex = count;
  return true;
}

}  // namespace kelvora
