#include "Monitor/learning/project_file.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

#include "Functions/masks.h"
#include "Monitor/core/kept_files.h"
#include "Monitor/core/print_zone.h"
#include "Monitor/core/text_number.h"
#include "Monitor/learning/regressors.h"

namespace kelvora {
namespace {

constexpr std::string_view kDecimalMask = "-###.###";
constexpr int kHeaderFields = 15;
constexpr int kHeadFields = 4;  // the empty zone holds no item
constexpr int kRowFields = 5;
// The learning stops reading before these slots: 3 is never fitted, and 4
// and 5 are evaluated from memory only.
constexpr int kFirstUnreadSlot = 3;

// --- Writing ------------------------------------------------------------------

// A value the file cannot show (NaN, an infinity) is written as the nearest
// finite one, so the file always reads back.
float Finite(float value) {
  if (std::isnan(value)) return 0;
  if (std::isinf(value)) return std::copysign(FLT_MAX, value);
  return value;
}

// The shortest text that reads back to the same single, with the blank that
// stands for a plus sign.
std::string Plain(float value) {
  std::string text = ShortestText(Finite(value));
  return text.front() == '-' ? text : " " + text;
}

std::string Masked(float value) { return Using(kDecimalMask, Finite(value)); }

// One blank, then the label in double quotes. A quote or line break inside
// would end the text or the line early.
std::string QuotedLabel(std::string_view label) {
  std::string text = " \"";
  for (char c : label) text += c == '"' ? '\'' : (c == '\r' || c == '\n') ? ' ' : c;
  return text + "\"";
}

int RowCount(const ModelSlot& slot) {
  const float count = std::round(Finite(slot.modelVarCount));
  return count < 0 ? 0 : count > kModelRows ? kModelRows : static_cast<int>(count);
}

void WriteValueLines(ZoneWriter& w, const LearningParts& state) {
  w.Raw(Plain(state.learning.predictedSlope)).Raw(Plain(state.learning.predictedCurve)).EndLine();
  const Regressors x = CurrentRegressors(state);
  for (int i = 2; i <= 8; ++i) w.Raw(Plain(x[i]));
  w.EndLine().Raw(" ").EndLine();
}

// --- Reading ------------------------------------------------------------------

// The file line by line, each line split into its items, remembering the
// first problem with where it was found.
class ProjectLines {
 public:
  explicit ProjectLines(std::string_view text) : text_(text) {}

  // Takes the next line, which must hold exactly `count` items; `what` names
  // it in a problem.
  bool Next(size_t count, std::string_view what) {
    where_ = "line " + std::to_string(++number_) + " (" + std::string(what) + ")";
    items_.clear();
    if (pos_ >= text_.size()) return Fail("the file ends before it");
    const size_t end = std::min(text_.find('\n', pos_), text_.size());
    std::string_view line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    // The writer never puts a carriage return inside a line, not even in a text.
    if (line.find('\r') != std::string_view::npos) return Fail("it holds a stray carriage return");
    if (!Split(line)) return Fail("a quoted text is not closed");
    if (items_.size() != count) {
      return Fail("it holds " + std::to_string(items_.size()) + " items instead of " + std::to_string(count));
    }
    return true;
  }

  // Item `index` of the line as a finite number a single can hold.
  std::optional<float> Number(size_t index) {
    std::optional<double> value = Decimal(index);
    if (!value) return std::nullopt;
    return static_cast<float>(*value);
  }

  // Item `index` as a whole number from `low` to `high`.
  std::optional<int64_t> Whole(size_t index, int64_t low, int64_t high) {
    std::optional<double> value = Decimal(index);
    if (!value) return std::nullopt;
    if (*value != std::floor(*value) || *value < static_cast<double>(low) ||
        *value > static_cast<double>(high)) {
      return Invalid(index,
                     "is not a whole number from " + std::to_string(low) + " to " + std::to_string(high));
    }
    return static_cast<int64_t>(*value);
  }

  std::optional<std::string> Quoted(size_t index) {
    if (!ok_ || index >= items_.size()) return std::nullopt;
    if (!items_[index].quoted) return Invalid(index, "is not a quoted text");
    return std::string(items_[index].text);
  }

  const std::string& Problem() const { return problem_; }
  bool AtEnd() const { return pos_ >= text_.size(); }
  // How much of the text the lines taken so far cover.
  size_t Position() const { return std::min(pos_, text_.size()); }
  bool OnlyBlanksFollow() const {
    return text_.find_first_not_of(" \t\r\n", Position()) == std::string_view::npos;
  }
  // Like OnlyBlanksFollow, but text there is a problem naming its line.
  bool EndsHere() {
    if (OnlyBlanksFollow()) return true;
    where_ = "line " + std::to_string(number_ + 1);
    return Fail("text follows the end of what the program writes");
  }

 private:
  // A leading "%" (how a formatted print marks a number wider than its
  // mask) is read past, so such a number keeps its value.
  std::optional<double> Decimal(size_t index) {
    if (!ok_ || index >= items_.size()) return std::nullopt;
    std::string_view text = items_[index].text;
    if (!text.empty() && text.front() == '%') text.remove_prefix(1);
    if (items_[index].quoted || !IsDecimalText(text)) return Invalid(index, "is not a number");
    const double value = ReadNumber(text);
    // Below the midpoint between the largest single and 2^128, a double
    // rounds to a finite single.
    if (!(std::fabs(value) < 0x1.ffffffp127)) return Invalid(index, "is beyond a single");
    return value;
  }
  bool Split(std::string_view line) {
    std::optional<std::vector<ZoneItem>> items = SplitZoneItems(line);
    if (!items) return false;
    items_ = std::move(*items);
    return true;
  }
  bool Fail(const std::string& why) {
    if (ok_) problem_ = where_ + ": " + why;
    ok_ = false;
    return false;
  }
  std::nullopt_t Invalid(size_t index, const std::string& why) {
    Fail("item " + std::to_string(index + 1) + " " + why);
    return std::nullopt;
  }

  std::string_view text_;
  size_t pos_ = 0;
  int number_ = 0;
  std::vector<ZoneItem> items_;
  std::string where_;
  std::string problem_;
  bool ok_ = true;
};

// What the file restores, read whole before any of it is taken over.
struct ProjectValues {
  int64_t currentModel = 0, setBackActive = 0, heatPumpHold = 0, logPending = 0;
  float setbackStartTime = 0, setbackStartInterior = 0, setbackStartExterior = 0, setbackStartEnergy = 0;
  int64_t pendingSlotEnd = 0;
  float nextSetpoint = 0, timeConst = 0;
  int64_t variableMask = 0;
  std::vector<ModelSlot> slots;  // slots 0.. as read
};

// Stores what `read` gives in `*value`; false when it gives nothing.
template <typename T, typename Read>
bool Take(T* value, Read read) {
  auto item = read();
  if (item) *value = *item;
  return item.has_value();
}

bool ReadHeader(ProjectLines& lines, ProjectValues& v) {
  if (!lines.Next(kHeaderFields, "the header")) return false;
  // relaxLevel, Day_Range and Year_Range (items 11 to 13) are the
  // selection's, which starts afresh; they must still be numbers.
  return Take(&v.currentModel, [&] { return lines.Whole(0, 0, kModelSlots); }) &&
         Take(&v.setBackActive, [&] { return lines.Whole(1, 0, UINT8_MAX); }) &&
         Take(&v.heatPumpHold, [&] { return lines.Whole(2, 0, UINT16_MAX); }) &&
         Take(&v.logPending, [&] { return lines.Whole(3, 0, UINT8_MAX); }) &&
         Take(&v.setbackStartTime, [&] { return lines.Number(4); }) &&
         Take(&v.setbackStartInterior, [&] { return lines.Number(5); }) &&
         Take(&v.setbackStartExterior, [&] { return lines.Number(6); }) &&
         Take(&v.setbackStartEnergy, [&] { return lines.Number(7); }) &&
         Take(&v.pendingSlotEnd, [&] { return lines.Whole(8, INT32_MIN, INT32_MAX); }) &&
         Take(&v.nextSetpoint, [&] { return lines.Number(9); }) && lines.Number(10) && lines.Number(11) &&
         lines.Number(12) && Take(&v.timeConst, [&] { return lines.Number(13); }) &&
         Take(&v.variableMask, [&] { return lines.Whole(14, 0, UINT16_MAX); }) &&
         lines.Next(0, "the blank line after the header");
}

bool ReadRow(ProjectLines& lines, ModelRow& row, const std::string& what) {
  return lines.Next(kRowFields, what) && Take(&row.modelVarIndex, [&] { return lines.Whole(0, 1, 9); }) &&
         Take(&row.modelVarName, [&] { return lines.Quoted(1); }) &&
         Take(&row.modelMean, [&] { return lines.Number(2); }) &&
         Take(&row.modelCoef, [&] { return lines.Number(3); }) &&
         Take(&row.modelCorr, [&] { return lines.Number(4); });
}

bool ReadSlot(ProjectLines& lines, int m, ModelSlot& slot) {
  const std::string model = "model " + std::to_string(m);
  if (!lines.Next(kHeadFields, "the head of " + model) ||
      !Take(&slot.modelVarCount, [&] { return lines.Whole(0, 0, kModelRows); }) ||
      !Take(&slot.modelMask, [&] { return lines.Whole(1, 0, UINT16_MAX); }) ||
      !Take(&slot.modelSamples, [&] { return lines.Number(2); }) ||
      !Take(&slot.modelR, [&] { return lines.Number(3); })) {
    return false;
  }
  for (int t = 1; t <= static_cast<int>(slot.modelVarCount); ++t) {
    if (!ReadRow(lines, slot.rows[t], "row " + std::to_string(t) + " of " + model)) return false;
  }
  return lines.Next(0, "the blank line after " + model);
}

// Slots 0 up to `currentModel` itself, stopping before slot 3. The writer
// writes the slots below `currentModel`; the block of `currentModel` is
// there only when the regression wrote the file.
bool ReadSlots(ProjectLines& lines, ProjectValues& v) {
  for (int m = 0; m <= v.currentModel && m < kFirstUnreadSlot; ++m) {
    if (m == v.currentModel && lines.AtEnd()) break;
    ModelSlot slot;
    if (!ReadSlot(lines, m, slot)) return false;
    v.slots.push_back(slot);
  }
  return true;
}

// The two value lines of a finished recompute and their blank line.
bool SkipValueLines(ProjectLines& lines) {
  if (!lines.Next(2, "the predicted slope and curve")) return false;
  for (size_t i = 0; i < 2; ++i) {
    if (!lines.Number(i)) return false;
  }
  if (!lines.Next(7, "the values of the regression's variables")) return false;
  for (size_t i = 0; i < 7; ++i) {
    if (!lines.Number(i)) return false;
  }
  return lines.Next(0, "the blank line after the values");
}

// What the writer writes after the slots the reader takes: the blocks from
// slot 3 on, the value lines of a finished recompute, the block of slot
// `currentModel` when the regression wrote the file. `*whole` follows the
// end of each part that reads as the writer wrote it; false at text that is
// none of these.
bool SkipUnreadParts(ProjectLines& lines, const ProjectValues& v, size_t* whole) {
  *whole = lines.Position();
  const int current = static_cast<int>(v.currentModel);
  ModelSlot unread;
  for (int m = kFirstUnreadSlot; m < current; ++m) {
    if (!ReadSlot(lines, m, unread)) return false;
    *whole = lines.Position();
  }
  if (current == 3 || current == 6) {
    if (!SkipValueLines(lines)) return false;
    *whole = lines.Position();
  }
  if (current >= kFirstUnreadSlot && !lines.OnlyBlanksFollow()) {
    if (!ReadSlot(lines, current, unread)) return false;
    *whole = lines.Position();
  }
  return lines.EndsHere();
}

void Commit(const ProjectValues& v, const LearningParts& state) {
  LearningState& l = state.learning;
  l.currentModel = static_cast<uint8_t>(v.currentModel);
  state.control.setBackActive = static_cast<uint8_t>(v.setBackActive);
  state.control.heatPumpHold = static_cast<uint16_t>(v.heatPumpHold);
  l.logPending = static_cast<uint8_t>(v.logPending);
  l.setbackStartTime = v.setbackStartTime;
  l.setbackStartInterior = v.setbackStartInterior;
  l.setbackStartExterior = v.setbackStartExterior;
  l.setbackStartEnergy = v.setbackStartEnergy;
  state.control.pendingSlotEnd = static_cast<int32_t>(v.pendingSlotEnd);
  state.schedule.nextSetpoint = v.nextSetpoint;
  l.timeConst = v.timeConst;
  l.variableMask = static_cast<uint16_t>(v.variableMask);
  for (size_t m = 0; m < v.slots.size(); ++m) l.models[m] = v.slots[m];
}

}  // namespace

std::string ModelBlockText(const ModelSlot& slot) {
  ZoneWriter w;
  w.Raw(Plain(slot.modelVarCount)).Integer(slot.modelMask).EmptyZone().Raw(Plain(slot.modelSamples));
  w.Raw(Masked(slot.modelR)).EndLine();
  for (int t = 1; t <= RowCount(slot); ++t) {
    const ModelRow& row = slot.rows[t];
    w.Raw(Plain(row.modelVarIndex)).Raw(QuotedLabel(row.modelVarName));
    w.Raw(Masked(row.modelMean)).Raw(Masked(row.modelCoef)).Raw(Masked(row.modelCorr)).EndLine();
  }
  w.Raw(" ").EndLine();
  return w.Text();
}

std::string ProjectFileText(const LearningParts& state) {
  const LearningState& l = state.learning;
  const ControlState& c = state.control;
  const Settings& s = state.settings;
  ZoneWriter w;
  w.Integer(l.currentModel).Integer(c.setBackActive).Integer(c.heatPumpHold).Integer(l.logPending);
  w.Raw(Plain(l.setbackStartTime)).Raw(Plain(l.setbackStartInterior)).Raw(Plain(l.setbackStartExterior));
  w.Raw(Plain(l.setbackStartEnergy)).Integer(c.pendingSlotEnd).Raw(Plain(state.schedule.nextSetpoint));
  w.Integer(l.relaxLevel).Integer(s.Day_Range).Integer(s.Year_Range).Raw(Plain(l.timeConst));
  w.Integer(l.variableMask).EndLine().Raw(" ").EndLine();
  std::string text = w.Text();
  for (int m = 0; m < l.currentModel && m < kModelSlots; ++m) text += ModelBlockText(l.models[m]);
  if (l.currentModel == 3 || l.currentModel == 6) {
    ZoneWriter values;
    WriteValueLines(values, state);
    text += values.Text();
  }
  return text;
}

ProjectReadResult ParseProjectText(std::string_view text, const LearningParts& state) {
  ProjectReadResult result;
  if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) {
    result.empty = true;
    return result;
  }
  ProjectLines lines(text);
  ProjectValues values;
  if (!ReadHeader(lines, values) || !ReadSlots(lines, values)) {
    result.damaged = true;
    result.problem = lines.Problem();
    return result;
  }
  Commit(values, state);
  if (!SkipUnreadParts(lines, values, &result.wholeLength)) {
    result.trailing = true;
    result.problem = lines.Problem();
  }
  return result;
}

void WriteProject(const LearningParts& state, const LearningServices& services) {
  services.files.WriteWholeFile(kProjectFile, ProjectFileText(state));
}

void ReadProject(const LearningParts& state, const LearningServices& services) {
  FileLayer& files = services.files;
  if (!files.Exists(kProjectFile)) files.WriteWholeFile(kProjectFile, "");
  const std::string text = files.ReadWholeFile(kProjectFile);
  const ProjectReadResult result = ParseProjectText(text, state);
  if (result.damaged) {
    KeepDamagedCopy(services.files, services.console, kProjectFile, result.problem,
                    "the learned state stays as it was until the file is written again");
  } else if (result.trailing &&
             KeepDamagedCopy(
                 services.files, services.console, kProjectFile, result.problem,
                 "the learned state is read from the part before it, which the file is cut back to")) {
    // Cut back once the copy exists, so that the next start finds a whole
    // file and makes no second copy.
    files.WriteWholeFile(kProjectFile, std::string_view(text).substr(0, result.wholeLength));
  }
}

}  // namespace kelvora
