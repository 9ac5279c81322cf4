#include "Monitor/reports/status_screen.h"

#include <algorithm>
#include <cmath>

#include "Functions/formulas.h"
#include "Functions/masks.h"
#include "platform/user_interface.h"

namespace kelvora {
namespace {

constexpr char kFullBlock = '\xDB';
constexpr char kLightShade = '\xB0';
constexpr char kLowerHalf = '\xDC';
constexpr char kUpperHalf = '\xDF';
constexpr int kBarColumn = 32;
constexpr int kRightColumn = 34;
constexpr int kValueColumn = 44;
// The status screen's own yardsticks, not the settings': a fixed 25.9 kW
// for the energy share and 0.0597 per kWh for the cost.
constexpr float kReferencePower = 25.9f;
constexpr float kReferencePrice = 0.0597f;

std::string TemperatureMask(const ReportParts& parts) {
  return std::string(" ##.##\xF8") + (parts.settings.tempUnits == 0 ? "C" : "F");
}

std::string TwoDigits(int value) {
  return std::string(1, static_cast<char>('0' + value / 10 % 10)) + static_cast<char>('0' + value % 10);
}

std::string ClockText(int32_t seconds) {
  seconds = std::clamp<int32_t>(seconds, 0, 86399);
  return TwoDigits(seconds / 3600) + ":" + TwoDigits(seconds / 60 % 60) + ":" + TwoDigits(seconds % 60);
}

// A share of a whole; nothing yet to share counts 0.
float Percent(float part, float whole) { return whole != 0 ? 100 * part / whole : 0; }

void At(TextScreen& screen, int row, int column, std::string_view text) {
  screen.Locate(row, column);
  screen.Print(text);
}

void ProgramRows(const ReportParts& parts, TextScreen& screen) {
  const ScheduleState& s = parts.schedule;
  const size_t slot = std::min<size_t>(s.currentSlot, s.daySlots.size() - 1);
  At(screen, 10, 1, "PROG. #" + std::to_string(s.currentSlot));
  screen.Tab(10);
  screen.Print(": " + s.daySlots[slot].start + "   - " + s.daySlots[slot].end + " Hre");
  At(screen, 10, kRightColumn, std::string("(") + kFullBlock + ")MARCHE:");
  const std::string temperature =
      Using(TemperatureMask(parts), C2fF2c(s.slotTemps[slot], kCelsius, parts.settings.tempUnits));
  At(screen, 11, 1, "TEMP.    :" + temperature + " -" + temperature);
  At(screen, 11, kRightColumn, std::string("(") + kLightShade + ")ARRET :");
}

void StatisticsFields(const ReportParts& parts, TextScreen& screen) {
  const StatisticsState& s = parts.statistics;
  const float clock = static_cast<float>(parts.clock.clockSeconds);
  At(screen, 1, 56, ClockText(parts.clock.clockSeconds));
  At(screen, 4, kValueColumn,
     s.heatingTimeText + " hr " + Using("###.## %", Percent(s.heatingSeconds, clock)));
  At(screen, 6, kValueColumn,
     Using("  ###.## kw ", s.energyToday) +
         Using("###.## %", Percent(s.energyToday, clock / 3600 * kReferencePower)));
  At(screen, 7, kValueColumn, Using("  ###.## $ ", kReferencePrice * s.energyToday));
  At(screen, 10, kValueColumn, s.onTimeText);
  At(screen, 10, 52, " hr " + Using("###.## %", s.onPercent));
  At(screen, 11, kValueColumn, s.offTimeText);
  At(screen, 11, 52, " hr " + Using("###.## %", s.offPercent));
}

void LearningFields(const ReportParts& parts, TextScreen& screen) {
  const LearningState& l = parts.learning;
  const ControlState& c = parts.control;
  At(screen, 8, 33, Using("    ######", l.timeConst));
  At(screen, 8, kValueColumn, Using("  ###.##", l.ceilingTemp) + "   ");
  At(screen, 8, 56, Using("###.#", l.dropRate));
  At(screen, 8, 68, Using("###", std::fabs(c.windNow)));
  At(screen, 8, 73, Using("  ###   ", std::fabs(c.windHour)));
  At(screen, 9, 33, Using("  ### /", l.stepsRecorded) + std::to_string(l.stepsToGain));
  At(screen, 9, kValueColumn,
     Using("  ###.## mi", static_cast<float>(l.estimatedPreheatSeconds) / 60) +
         Using("####.## hre", static_cast<float>(l.estimatedArrival) / 3600));
  At(screen, 9, 68, Using("### %", c.sunNow));
  At(screen, 9, 73, Using("  ### %", parts.statistics.day.sun.maximum));
}

// The strip's first lines, as many as fit below the frame: the strip's
// table holds 15 at the start of a day and grows with a long cycle, but
// lines drawn higher would write over the frame's labels.
constexpr int kStripLines = TextScreen::kRows - 14;

void StripLines(const ControlState& c, TextScreen& screen) {
  const int lines = std::min({c.stripRowCount, c.stripRows.Rows(), kStripLines});
  for (int i = 1; i <= lines; ++i) At(screen, TextScreen::kRows - i, 1, c.stripRows(i));
}

}  // namespace

void TextScreen::Clear() {
  for (std::string& row : rows_) row.assign(kColumns, ' ');
  row_ = column_ = 1;
  ++clears_;
}

void TextScreen::Locate(int row, int column) {
  row_ = std::clamp(row, 1, kRows);
  column_ = std::clamp(column, 1, kColumns + 1);
}

void TextScreen::Tab(int column) { column_ = std::max(column_, std::clamp(column, 1, kColumns + 1)); }

void TextScreen::Print(std::string_view bytes) {
  std::string& row = rows_[static_cast<size_t>(row_ - 1)];
  for (char byte : bytes) {
    if (column_ > kColumns) break;
    row[static_cast<size_t>(column_ - 1)] = byte;
    ++column_;
  }
}

std::vector<std::string> TextScreen::Utf8Rows() const {
  std::vector<std::string> rows;
  for (const std::string& row : rows_) rows.push_back(Cp437ToUtf8(row));
  return rows;
}

void DrawStatusFrame(const ReportParts& parts, TextScreen& screen) {
  screen.Clear();
  const uint8_t language = parts.settings.languageFrench != 0 ? 1 : 0;
  const uint8_t weekday = std::clamp<uint8_t>(parts.clock.todayWeekday, 1, 7);
  At(screen, 1, 1, "DATE     : " + parts.texts.dayNameTable[language][weekday] + ",");
  At(screen, 1, 22, parts.clock.todayDate);
  At(screen, 1, kRightColumn, "HEURE    :");
  At(screen, 2, 1, std::string(TextScreen::kColumns, kLowerHalf));
  At(screen, 3, 14, "INT.      EXT.");
  At(screen, 3, kValueColumn,
     "   QNT\x90"
     "E      PCNT %");
  At(screen, 4, 1, "ACTUEL   :");
  At(screen, 4, kRightColumn, "CHAUFFAGE:");
  At(screen, 6, 1, "MINIMUM  :");
  At(screen, 6, kRightColumn, "CONSOM.  :");
  At(screen, 7, 1, "MOYENNE  :");
  At(screen, 7, kRightColumn, "COUT     :");
  At(screen, 8, 1, "MAXIMUM  :");
  ProgramRows(parts, screen);
  for (int row = 1; row <= 12; ++row) At(screen, row, kBarColumn, std::string(1, kFullBlock));
  At(screen, 13, 1, std::string(TextScreen::kColumns, kUpperHalf));
  DrawStatusValues(parts, screen);
}

void DrawStatusValues(const ReportParts& parts, TextScreen& screen) {
  StatisticsFields(parts, screen);
  LearningFields(parts, screen);
  StripLines(parts.control, screen);
}

void TerminalStatusWriter::Show(const TextScreen& screen) {
  std::string out;
  if (shownClears_ != screen.Clears() || shown_.empty()) {
    out += "\x1b[2J";
    shown_.assign(TextScreen::kRows, std::string(TextScreen::kColumns, ' '));
    shownClears_ = screen.Clears();
  }
  for (int row = 1; row <= TextScreen::kRows; ++row) {
    const std::string& now = screen.Row(row);
    std::string& before = shown_[static_cast<size_t>(row - 1)];
    size_t first = 0;
    while (first < now.size() && now[first] == before[first]) ++first;
    if (first == now.size()) continue;
    size_t last = now.size();
    while (now[last - 1] == before[last - 1]) --last;
    out += "\x1b[" + std::to_string(row) + ";" + std::to_string(first + 1) + "H";
    out += Cp437ToUtf8(std::string_view(now).substr(first, last - first));
    before = now;
  }
  if (out.empty()) return;
  // The cursor rests below the screen, out of the way of anything else written.
  out += "\x1b[" + std::to_string(TextScreen::kRows) + ";1H";
  write_(out);
}

}  // namespace kelvora
