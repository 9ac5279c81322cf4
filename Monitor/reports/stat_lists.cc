#include "Monitor/reports/stat_lists.h"

#include <algorithm>
#include <cmath>

#include "Functions/formulas.h"
#include "Functions/masks.h"
#include "Monitor/core/clock_text.h"

namespace kelvora {
namespace {

constexpr size_t kCellWidth = 31;
constexpr const char* kCycleNumberMask = "    ### :";
constexpr const char* kStepNumberMask = "  ### :";
constexpr const char* kEnergyMask = "  ####.##";
constexpr const char* kPercentMask = "(##.##%)";
constexpr const char* kMinutesMask = "###.#";
constexpr const char* kMeanMask = "###.##";
constexpr const char* kFittedMask = "###.#";
constexpr float kTiny = 0.00001f;

std::string Cell(std::string text) {
  if (text.size() > kCellWidth) text.resize(kCellWidth);
  return text;
}

std::string Masked(const char* mask, float value) { return Cell(Using(mask, value)); }

// A time that is no number (a damaged day file) shows as none.
std::string Duration(float seconds) {
  const double s = std::isfinite(seconds) ? std::clamp(static_cast<double>(seconds), -1e9, 1e9) : 0;
  return Cell(FormatDuration(static_cast<int32_t>(std::nearbyint(s))));
}

std::vector<ListColumn> Columns(std::initializer_list<std::pair<const char*, int>> described) {
  std::vector<ListColumn> columns;
  for (const auto& [title, width] : described) columns.push_back({title, width, false});
  return columns;
}

StatList Describe(ListKind kind) {
  StatList list;
  list.kind = kind;
  switch (kind) {
    case ListKind::kCycles:
      list.title = "Heating Cycles";
      list.widthChange = -90;
      list.columns = Columns({{"Cycle No.", 65},
                              {"State", 70},
                              {"Time    ", 60},
                              {"Int. Temp  ", 70},
                              {"Ext. Temp ", 70},
                              {"Cycle Time", 75},
                              {"Pcnt  (%) ", 70},
                              {"KiloWatts", 70},
                              {"Pcnt  (%) ", 70}});
      list.columns[1].leftAligned = true;
      break;
    case ListKind::kPreheatSteps:
      list.title = "Pre-Heating Stats";
      list.columns = Columns({{"Step", 40},
                              {"Time   ", 60},
                              {"Int. Temp  ", 70},
                              {"Ext. Temp ", 70},
                              {"Step Time ", 75},
                              {"Cum. Time", 75},
                              {"Mean Time", 75},
                              {"Slope", 80},
                              {"Curve", 70},
                              {"Arriv. Time", 75}});
      break;
    case ListKind::kDropSteps:
      list.title = "Interior Temp Drop Stats";
      list.columns = Columns({{"Step", 40},
                              {"Time   ", 60},
                              {"Int. Temp  ", 70},
                              {"Ext. Temp ", 70},
                              {"Step Time ", 75},
                              {"Cum. Time", 75},
                              {"Mean Time", 75},
                              {"Slope", 75},
                              {"Curve", 80},
                              {"Floor   ", 70}});
      break;
  }
  list.graphEnabled = kind != ListKind::kCycles;
  return list;
}

// Temperatures in the user's unit, laid into the unit's mask.
struct TemperatureCells {
  const ReportParts& parts;
  std::string Plain(float celsius) const { return Masked(Mask(parts.texts.tempMask), Convert(celsius)); }
  std::string Signed(float celsius) const {
    return Masked(Mask(parts.texts.signedTempMask), Convert(celsius));
  }
  const char* Mask(const std::array<std::string, 2>& masks) const {
    return masks[parts.settings.tempUnits > 0 ? 1 : 0].c_str();
  }
  float Convert(float celsius) const { return C2fF2c(celsius, kCelsius, parts.settings.tempUnits); }
};

// The cycle rows 0..n as the list reads them, with the running period's end
// at n + 1: state 0 starting now. The table itself is not touched, so a
// table full to its last row needs no row past it.
class CycleRows {
 public:
  explicit CycleRows(const ReportParts& parts)
      : log_(parts.control.cycleLog),
        last_(std::min(parts.control.cycleIndex, log_.Rows())),
        now_(static_cast<float>(parts.clock.clockSeconds)) {}

  int Last() const { return last_; }
  float State(int r) const { return r > last_ ? 0 : Value(r, kCycleState); }
  float Start(int r) const { return r > last_ ? now_ : Value(r, kCycleStart); }
  float Value(int r, int column) const { return r < 0 ? 0 : log_(r, column); }

 private:
  const Table<float>& log_;
  int last_;
  float now_;
};

std::string StateText(float state, const std::string& before) {
  if (HoldsCode(state, CycleCode::kPreheat)) return "PreHeat";
  if (HoldsCode(state, CycleCode::kHeating)) return "Heat-ON";
  if (HoldsCode(state, CycleCode::kHeatPump)) return "HP-ON";
  if (HoldsCode(state, CycleCode::kHeatPumpWait)) return "HP-Wait";
  return before;
}

void FillCycleRows(const ReportParts& parts, StatList& list) {
  const CycleRows rows(parts);
  const TemperatureCells temperature{parts};
  const float ratedPower = parts.card.totalRatedPower;
  int k = 0;  // the latest off row
  std::string state1, duty, energyShare;
  for (int r = 1; r <= rows.Last(); ++r) {
    std::vector<std::string> cells(9);
    cells[0] = Masked(kCycleNumberMask, static_cast<float>(r));
    cells[2] = Duration(rows.Start(r));
    cells[3] = temperature.Plain(rows.Value(r, kCycleInterior));
    cells[4] = temperature.Signed(rows.Value(r, kCycleExterior));
    cells[5] = Duration(rows.Value(r, kCycleDuration));
    cells[7] = Masked(kEnergyMask, rows.Value(r, kCycleEnergy) - rows.Value(r - 1, kCycleEnergy));
    if (rows.State(r) == 0) {
      state1 = "OFF";
      duty.clear();
      energyShare.clear();
      k = r;
    } else {
      state1 = StateText(rows.State(r), state1);
      if (rows.State(r + 1) == 0) {
        // The on-period that began after off row k ends with this row.
        const float period = rows.Start(r + 1) - rows.Start(k);
        duty = Masked(kPercentMask, (rows.Start(r + 1) - rows.Start(k + 1)) * 100 / period);
        const float energy = rows.Value(r, kCycleEnergy) - rows.Value(k - 1, kCycleEnergy);
        energyShare = Masked(kPercentMask, energy * 100 / (period / 3600 * ratedPower));
      }
    }
    cells[1] = state1;
    cells[6] = duty;
    cells[8] = energyShare;
    list.rows.push_back(std::move(cells));
  }
}

std::string Repeat(char c, float count) { return std::string(static_cast<size_t>(std::nearbyint(count)), c); }

std::vector<std::string> RuleRow(const StatList& list, bool doubled) {
  std::vector<std::string> cells(list.columns.size());
  for (size_t c : {0, 1, 5, 6, 7, 8}) {
    float width = static_cast<float>(list.columns[c].width);
    cells[c] = doubled ? Repeat('=', width / (c == 0 ? 8 : 9)) : Repeat('-', width / 5);
  }
  return cells;
}

std::vector<std::string> SummaryRow(const char* label, const char* what, float energy, float percent) {
  std::vector<std::string> cells(9);
  cells[0] = label;
  cells[1] = what;
  cells[7] = Masked(kEnergyMask, energy);
  cells[8] = Masked(kPercentMask, percent);
  return cells;
}

void AppendSummary(const StatisticsState& s, StatList& list) {
  list.rows.push_back(RuleRow(list, false));
  list.rows.push_back(SummaryRow("SetBACK", "Cycles:", s.setbackEnergy, s.setbackDuty));
  list.rows.push_back(SummaryRow("Reg. Heat", "Cycles:", s.energyToday - s.setbackEnergy, s.regularDuty));
  list.rows.push_back(RuleRow(list, false));
  const float savedShare = s.savedEnergy * 100 / (kTiny + s.savedEnergy + s.setbackEnergy);
  list.rows.push_back(SummaryRow("SetBACK", "SAVINGS:", s.savedEnergy, savedShare));
  list.rows.push_back(RuleRow(list, true));
}

// The temperature the mean time of a step is counted from: the pre-heat's
// step threshold, or a drop's starting temperature (a drop counts the
// degrees fallen).
float ReferenceTemperature(ListKind kind, const ReportParts& parts) {
  if (kind == ListKind::kPreheatSteps) return parts.learning.stepThreshold;
  return parts.learning.stepTable(0, kStepInterior);
}

void FillStepRows(ListKind kind, const ReportParts& parts, StatList& list) {
  const LearningState& l = parts.learning;
  const Table<float>& t = l.stepTable;
  const int last = std::min<int>(kind == ListKind::kPreheatSteps ? l.stepIndex : l.dropIndex, t.Rows());
  if (last < 0) return;
  const TemperatureCells temperature{parts};
  const float reference = ReferenceTemperature(kind, parts);
  for (int i = 0; i <= last; ++i) {
    std::vector<std::string> cells(10);
    const float minutes = (t(i, kStepTime) - t(0, kStepTime)) / 60;
    cells[0] = Masked(kStepNumberMask, static_cast<float>(i));
    cells[1] = Duration(t(i, kStepTime));
    cells[2] = temperature.Plain(t(i, kStepInterior));
    cells[3] = temperature.Signed(t(i, kStepExterior));
    if (i > 0) cells[4] = Masked(kMinutesMask, (t(i, kStepTime) - t(i - 1, kStepTime)) / 60);
    cells[5] = Masked(kMinutesMask, minutes);
    const float rise = t(i, kStepInterior) - reference;
    const float degrees = kind == ListKind::kPreheatSteps ? rise : -rise;
    if (i > 1 && degrees != 0) cells[6] = Masked(kMeanMask, minutes / degrees);
    cells[7] = Masked(kFittedMask, t(i, kStepFitted1));
    cells[8] = Masked(kFittedMask, t(i, kStepFitted2));
    cells[9] = Duration(t(i, kStepArrival));
    list.rows.push_back(std::move(cells));
  }
}

}  // namespace

StatList BuildStatList(ListKind kind, const ReportParts& parts) {
  StatList list = Describe(kind);
  if (kind == ListKind::kCycles) {
    FillCycleRows(parts, list);
    AppendSummary(parts.statistics, list);
  } else {
    FillStepRows(kind, parts, list);
  }
  return list;
}

}  // namespace kelvora
