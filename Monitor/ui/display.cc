#include "Monitor/ui/display.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "Functions/formulas.h"
#include "Functions/masks.h"
#include "Monitor/control/relays.h"
#include "Monitor/core/clock_text.h"
#include "Monitor/core/text_number.h"
#include "Monitor/ui/control_ids.h"
#include "platform/user_interface.h"

namespace kelvora {

namespace {

constexpr uint8_t kProgramFieldsFlag = 1;
constexpr uint8_t kStripFlag = 2;

// Code page 437 characters of the strip.
constexpr char kLightShade = '\xB0';
constexpr char kDarkShade = '\xB2';
constexpr char kFullBlock = '\xDB';
constexpr char kLowerHalfBlock = '\xDC';
constexpr double kMinutesPerDay = 24 * 60;

// A unit or language flag as an index into the two-entry text tables.
int FlagIndex(uint8_t flag) { return flag != 0 ? 1 : 0; }

// What a field shows of a number: nothing undefined ever reaches the window.
float Shown(float value) { return std::isfinite(value) ? value : 0.0f; }
float Ratio(float part, float whole) { return whole != 0 ? Shown(part / whole) : 0.0f; }

std::string Masked(std::string_view mask, float value) { return Using(mask, Shown(value)); }

std::string TempText(const RunState& state, float celsius, bool withSign = false) {
  int unit = FlagIndex(state.settings.tempUnits);
  float value = C2fF2c(celsius, kCelsius, static_cast<uint8_t>(unit));
  // The unsigned mask has no place for a minus: a value below zero takes
  // the signed one, so that -3 never shows as 3.
  const std::string& mask =
      withSign || value < 0 ? state.texts.signedTempMask[unit] : state.texts.tempMask[unit];
  return Masked(mask, value);
}

std::string WindText(const RunState& state, float kmh) {
  auto unit = static_cast<uint8_t>(FlagIndex(state.settings.speedUnits));
  return Masked(state.texts.windMask, K2mM2k(kmh, kKmPerHour, unit));
}

// The day's minimum, mean and maximum go to the three controls after the
// one that shows the current value.
template <typename Format>
void DayTexts(const RunState& state, const Statistic& statistic, int currentId, DisplaySnapshot& snapshot,
              Format format) {
  float mean = Ratio(statistic.sum, state.statistics.day.dayWeightSeconds);
  snapshot.texts[currentId + 1] = format(statistic.minimum);
  snapshot.texts[currentId + 2] = format(mean);
  snapshot.texts[currentId + 3] = format(statistic.maximum);
}

void HeaderTexts(const RunState& state, const LocalTime& now, DisplaySnapshot& snapshot) {
  const auto& days = state.texts.dayNameTable[FlagIndex(state.settings.languageFrench)];
  bool knownDay = now.weekday >= 1 && now.weekday <= 7;
  snapshot.texts[control_id::kWeekday] = knownDay ? days[static_cast<size_t>(now.weekday)] : std::string();
  snapshot.texts[control_id::kDate] = F8Date(SystemDateText(now));
  snapshot.texts[control_id::kClock] = ClockText(now);
  snapshot.texts[control_id::kWindHeading] = state.texts.windHeadings[FlagIndex(state.settings.speedUnits)];
}

void SlotList(const RunState& state, DisplaySnapshot& snapshot) {
  const ScheduleState& schedule = state.schedule;
  auto unit = static_cast<uint8_t>(FlagIndex(state.settings.tempUnits));
  size_t last = std::min<size_t>(schedule.slotCount, schedule.daySlots.size() - 1);
  snapshot.slotRows.clear();
  for (size_t slot = 0; slot <= last; ++slot) {
    const DaySlot& times = schedule.daySlots[slot];
    float shown = Rnd(C2fF2c(schedule.slotTemps[slot], kCelsius, unit), 2);
    snapshot.slotRows.push_back({Using("###:", static_cast<float>(slot)), times.start + " - " + times.end,
                                 SevenDigitText(Shown(shown))});
  }
  snapshot.selectedSlot = schedule.currentSlot;
}

// The program box's names: those of the table when the window opened (a
// name repeats only when another lies between its two entries), then the
// programs the Programs dialog created since.
void ProgramNames(const ScheduleState& schedule, DisplaySnapshot& snapshot) {
  snapshot.programNames = schedule.programBox;
}

void ProgramTexts(const RunState& state, DisplaySnapshot& snapshot) {
  const ScheduleState& schedule = state.schedule;
  const ControlState& control = state.control;
  size_t current = std::min<size_t>(schedule.currentSlot, schedule.daySlots.size() - 1);
  float slotTemp = schedule.slotTemps[current];
  snapshot.texts[control_id::kProgramName] = schedule.currentProgram;
  snapshot.texts[control_id::kSlotNumber] =
      std::to_string(schedule.currentSlot) + " of " + std::to_string(schedule.slotCount);
  snapshot.texts[control_id::kFromTime] = schedule.daySlots[current].start;
  snapshot.texts[control_id::kToTime] = schedule.daySlots[current].end;
  snapshot.texts[control_id::kFromTemp] =
      TempText(state, slotTemp - control.sunnyDrop + control.meanUndershoot - control.meanOvershoot);
  snapshot.texts[control_id::kToTemp] =
      TempText(state, control.coldRaise + slotTemp + control.meanUndershoot);
  SlotList(state, snapshot);
  ProgramNames(schedule, snapshot);
}

void StripLines(const ControlState& control, DisplaySnapshot& snapshot) {
  int last = std::min(control.stripRowCount, control.stripRows.Rows());
  snapshot.stripLines.clear();
  for (int line = 1; line <= last; ++line) snapshot.stripLines.push_back(control.stripRows(line));
}

// The relays as they are: the nominal bits, so a fan that runs for the
// user while its mask is off still shows.
void StatusTexts(const RunState& state, DisplaySnapshot& snapshot) {
  const CardState& card = state.card;
  const ControlState& control = state.control;
  bool heatPumpOn = IsOn(card, card.heatPumpBit);
  std::string mode = "OFF";
  if (IsOn(card, card.stage1Bit)) mode = "ON (Stage:1)";
  if (IsOn(card, card.stage2Bit)) mode = "ON (Stage:2)";
  if (control.heatMode == HeatMode::kPreheat) mode = "Pre-Heating";
  if (control.weatherMode == WeatherMode::kCold) mode += " - COLD";
  if (control.weatherMode == WeatherMode::kSunny) mode += " - SUNNY";
  if (heatPumpOn) mode += " + AC/HP";
  std::string fan = "OFF";
  if (IsOn(card, card.fanLowBit)) fan = "Low";
  if (IsOn(card, card.fanHighBit)) fan = "HI";
  snapshot.texts[control_id::kModeText] = mode;
  snapshot.texts[control_id::kFanText] = fan;
}

void HeatingTexts(const RunState& state, DisplaySnapshot& snapshot) {
  const StatisticsState& statistics = state.statistics;
  auto seconds = static_cast<float>(state.clock.clockSeconds);
  float energy = statistics.energyToday;
  float cost = state.settings.KWh_Cost;
  float ratedEnergy = seconds / 3600 * state.card.totalRatedPower;
  snapshot.texts[control_id::kHeatingTime] = statistics.heatingTimeText;
  snapshot.texts[control_id::kHeatingPercent] =
      Masked("###.##%", 100 * Ratio(statistics.heatingSeconds, seconds));
  snapshot.texts[control_id::kEnergy] = Masked("###.##", energy);
  snapshot.texts[control_id::kEnergyPercent] = Masked("###.##%", 100 * Ratio(energy, ratedEnergy));
  snapshot.texts[control_id::kCost] = Masked("###.##", cost * energy);
  snapshot.texts[control_id::kSavings] = Masked("###.##", cost * statistics.savedEnergy);
  snapshot.texts[control_id::kOffTime] = statistics.offTimeText;
  snapshot.texts[control_id::kOffPercent] = Masked("###.##%", statistics.offPercent);
  snapshot.texts[control_id::kOnTime] = statistics.onTimeText;
  snapshot.texts[control_id::kOnPercent] = Masked("###.##%", statistics.onPercent);
}

// Tenths of a degree as a temperature difference in the display unit.
std::string DegreeSteps(const RunState& state, int steps) {
  int unit = FlagIndex(state.settings.tempUnits);
  float difference =
      C2fF2c(static_cast<float>(steps) / 10, kCelsius, static_cast<uint8_t>(unit)) - 32.0f * unit;
  return Masked("###.#", difference);
}

void PreheatTexts(const RunState& state, DisplaySnapshot& snapshot) {
  const LearningState& learning = state.learning;
  snapshot.texts[control_id::kDegreesGained] = DegreeSteps(state, learning.stepsRecorded);
  snapshot.texts[control_id::kDegreesToReach] = DegreeSteps(state, learning.stepsToGain);
  snapshot.texts[control_id::kPreheatMinutes] =
      Masked("-###", static_cast<float>(learning.estimatedPreheatSeconds) / 60);
  snapshot.texts[control_id::kArrivalTime] = FormatDuration(learning.estimatedArrival);
}

void WeatherTexts(const RunState& state, DisplaySnapshot& snapshot) {
  const ControlState& control = state.control;
  const DayStatistics& day = state.statistics.day;
  auto temp = [&state](float value) { return TempText(state, value); };
  auto signedTemp = [&state](float value) { return TempText(state, value, true); };
  auto wind = [&state](float value) { return WindText(state, value); };
  auto sun = [&state](float value) { return Masked(state.texts.percentMask, value); };
  snapshot.texts[control_id::kIndoorNow] = temp(control.interiorTemp);
  DayTexts(state, day.interior, control_id::kIndoorNow, snapshot, temp);
  snapshot.texts[control_id::kOutdoorNow] = signedTemp(control.exteriorTemp);
  DayTexts(state, day.exterior, control_id::kOutdoorNow, snapshot, signedTemp);
  snapshot.texts[control_id::kWindChillNow] = signedTemp(control.windChill);
  DayTexts(state, day.windChill, control_id::kWindChillNow, snapshot, signedTemp);
  // The wind and sun groups show the last hour's mean where the
  // temperatures show the day's minimum.
  snapshot.texts[control_id::kWindNow] = wind(control.windNow);
  snapshot.texts[control_id::kWindLastHour] = wind(control.windHour);
  snapshot.texts[control_id::kWindMean] = wind(Ratio(day.wind.sum, day.dayWeightSeconds));
  snapshot.texts[control_id::kWindMaximum] = wind(day.wind.maximum);
  snapshot.texts[control_id::kSunNow] = sun(control.sunNow);
  snapshot.texts[control_id::kSunLastHour] = sun(control.sunHour);
  snapshot.texts[control_id::kSunMean] = sun(Ratio(day.sun.sum, day.dayWeightSeconds));
  snapshot.texts[control_id::kSunMaximum] = sun(day.sun.maximum);
}

// The whole minutes of a cycle row; 0 for a row that does not exist. No
// cycle outlasts its day, whatever a damaged day file says.
int CycleMinutes(const ControlState& control, int row) {
  if (row < 0 || row > control.cycleLog.Rows()) return 0;
  double seconds = control.cycleLog(row, kCycleDuration);
  if (!(seconds > 0)) return 0;
  return static_cast<int>(std::min(std::floor(seconds / 60), kMinutesPerDay));
}

// Off cycles shade every second minute, on cycles fill half a cell in the
// odd minute and the whole cell in the even one; heat pump only and
// anything else are dark.
char MinuteMark(float cycleState, int minute) {
  bool even = minute % 2 == 0;
  if (HoldsCode(cycleState, CycleCode::kOff)) return even ? kLightShade : '\0';
  if (HoldsCode(cycleState, CycleCode::kHeating) || HoldsCode(cycleState, CycleCode::kPreheat))
    return even ? kFullBlock : kLowerHalfBlock;
  return kDarkShade;
}

void DrawMinute(ControlState& control, int minute) {
  // Two minutes a line: minutes 1 and 2 on line 1, 3 and 4 on line 2, ...
  int line = (minute + 1) / 2;
  if (line > control.stripRows.Rows()) control.stripRows.GrowRows(line);
  control.stripRowCount = std::max(control.stripRowCount, line);
  std::string& text = control.stripRows(line);
  auto column = static_cast<size_t>(std::max(control.stripColumn, 1));
  if (column == 1) {
    text = " ";
  } else if (text.size() < column) {
    text.resize(column, ' ');
  }
  char mark = MinuteMark(control.cycleLog(control.stripIndex, kCycleState), minute);
  if (mark != '\0') text[column - 1] = mark;
}

}  // namespace

void UpdateCycleStrip(RunState& state) {
  ControlState& control = state.control;
  if (control.stripIndex != control.cycleIndex &&
      CycleMinutes(control, control.stripIndex) <= control.stripMinutes + 1) {
    // The drawn cycle is complete; rows added in between are skipped.
    control.stripIndex = control.cycleIndex;
    control.stripMinutes = 0;
    control.stripColumn += 2;
  }
  int minutes = CycleMinutes(control, control.stripIndex);
  // One character per minute: minutes not drawn yet are drawn in order.
  while (control.stripMinutes != minutes) {
    control.changeFlags |= kStripFlag;
    int minute = std::min(minutes, control.stripMinutes + 1);
    control.stripMinutes = minute;
    if (minute > 0) DrawMinute(control, minute);
  }
}

void RefreshDisplay(RunState& state, const LocalTime& now, DisplaySnapshot& snapshot, bool everyText) {
  ControlState& control = state.control;
  if ((control.changeFlags & kProgramFieldsFlag) != 0) {
    control.changeFlags &= static_cast<uint8_t>(~kProgramFieldsFlag);
    ProgramTexts(state, snapshot);
  }
  if ((control.changeFlags & kStripFlag) != 0) {
    control.changeFlags &= static_cast<uint8_t>(~kStripFlag);
    StripLines(control, snapshot);
  }
  if (!everyText) return;
  HeaderTexts(state, now, snapshot);
  StatusTexts(state, snapshot);
  HeatingTexts(state, snapshot);
  PreheatTexts(state, snapshot);
  WeatherTexts(state, snapshot);
}

nlohmann::json SnapshotToJson(const DisplaySnapshot& snapshot) {
  nlohmann::json controls = nlohmann::json::object();
  for (const auto& [id, text] : snapshot.texts) controls[std::to_string(id)] = Cp1252ToUtf8(text);
  nlohmann::json slots = nlohmann::json::array();
  for (const SlotListRow& row : snapshot.slotRows) {
    slots.push_back({{"slot", Cp1252ToUtf8(row.slot)},
                     {"times", Cp1252ToUtf8(row.times)},
                     {"temperature", Cp1252ToUtf8(row.temperature)}});
  }
  nlohmann::json programs = nlohmann::json::array();
  for (const std::string& name : snapshot.programNames) programs.push_back(Cp1252ToUtf8(name));
  nlohmann::json strip = nlohmann::json::array();
  for (const std::string& line : snapshot.stripLines) strip.push_back(Cp437ToUtf8(line));
  return {{"controls", controls},
          {"slots", slots},
          {"selectedSlot", snapshot.selectedSlot},
          {"programs", programs},
          {"strip", strip}};
}

std::string SnapshotJson(const DisplaySnapshot& snapshot) { return SnapshotToJson(snapshot).dump(); }

}  // namespace kelvora
