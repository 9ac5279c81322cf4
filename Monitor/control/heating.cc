#include "Monitor/control/heating.h"

#include <algorithm>
#include <cmath>

#include "Functions/formulas.h"
#include "Monitor/control/cycle_log.h"
#include "Monitor/control/relays.h"
#include "Monitor/core/clock_text.h"
#include "Monitor/core/learning_operations.h"
#include "Monitor/core/preheat_record.h"
#include "Monitor/core/saturate.h"

namespace kelvora {
namespace {

// Nudges a taken-over temperature off the slot's own, so the next pass sees
// a change and takes the slot over again.
constexpr float kTemperatureNudge = 0.000001f;

float Dwell(const HeatingParts& heating) { return std::fabs(heating.settings.Temp_Dwell); }
bool InPreheat(const ControlState& c) { return c.heatMode == HeatMode::kPreheat; }
float SlotTemperature(const HeatingParts& heating, int slot) { return heating.schedule.slotTemps.at(slot); }
float CurrentSlotTemperature(const HeatingParts& heating) {
  return SlotTemperature(heating, heating.schedule.currentSlot);
}
float& CurrentRowState(ControlState& c) { return c.cycleLog(c.cycleIndex, kCycleState); }
void WriteOutputByte(const HeatingParts& heating) { heating.io.WriteOutputs(heating.card.outputByte); }

float DayMean(const DayStatistics& day, const Statistic& statistic) {
  return day.dayWeightSeconds > 0 ? statistic.sum / day.dayWeightSeconds : 0;
}

int32_t SlotEndSeconds(const HeatingParts& heating, int slot) {
  std::string end = heating.schedule.daySlots.at(slot).end;
  return ParseClockTime(end).seconds;
}

// The switching corrections start afresh: no overshoot or undershoot learned.
void ResetSwitching(ControlState& c) {
  c.meanUndershoot = 0;
  c.meanOvershoot = 0;
  c.undershootCount = 2;
  c.overshootCount = 1;
  c.undershootHistory(1) = 0;
  c.overshootHistory(1) = 0;
}

// --- A. Taking over the schedule -------------------------------------------

void ScheduleRises(const HeatingParts& heating) {
  ControlState& c = heating.control;
  CardState& card = heating.card;
  if (c.planFlag >= 0) heating.operations.ClosePreheatHistory();
  c.heatMode = HeatMode::kComfort;
  c.setBackActive = 0;
  c.heatPumpHold = 0;
  heating.operations.WriteProject();
  SwitchOn(card, c.autoFanBits | c.contFanBits);
  if (heating.settings.HP_Cont != 0 || heating.settings.Auto_HP != 0) SwitchOn(card, card.heatPumpMask);
  heating.operations.ArchivePreheatSteps();
}

void RecordSetbackStart(const HeatingParts& heating) {
  LearningState& l = heating.learning;
  heating.control.setBackActive = 1;
  l.setbackStartTime = static_cast<float>(heating.clock.clockSeconds);
  l.setbackStartInterior = heating.control.interiorTemp;
  l.setbackStartExterior = heating.control.exteriorTemp;
  l.setbackStartEnergy = heating.statistics.energyToday;
  heating.operations.WriteProject();
  heating.operations.LearningUpdate();
}

void ScheduleFalls(const HeatingParts& heating) {
  ControlState& c = heating.control;
  CardState& card = heating.card;
  const Settings& settings = heating.settings;
  c.heatMode = HeatMode::kSetBack;
  c.lowSlot = heating.schedule.currentSlot;
  SwitchOff(card, c.autoFanBits | card.heatPumpMask);
  SwitchOn(card, c.contFanBits);
  SwitchOn(card, static_cast<uint8_t>(settings.HP_Cont));
  if (c.setBackActive == 0) RecordSetbackStart(heating);
  if (settings.Auto_HP == 0) c.heatPumpHold = settings.HP_Cont;
  if (c.heatPumpHold != 0) SwitchOn(card, card.heatPumpMask);
}

void TakeOverChange(const HeatingParts& heating) {
  ControlState& c = heating.control;
  float slotTemperature = CurrentSlotTemperature(heating);
  if (heating.schedule.programTemp <= slotTemperature) {
    ScheduleRises(heating);
  } else {
    ScheduleFalls(heating);
  }
  c.planFlag = -1;
  c.fitDone = 0;
  c.switchTemp = 0;
  c.troughTemp = 0;
  c.peakTemp = 99;
  ResetSwitching(c);
  heating.schedule.programTemp = slotTemperature;
  c.setpoint = c.weatherOffset + heating.schedule.programTemp;
  WriteOutputByte(heating);
  c.changeFlags |= 1;
}

void GrowStepsToGain(const HeatingParts& heating, float degrees) {
  LearningState& l = heating.learning;
  l.stepsToGain = static_cast<int16_t>(l.stepsToGain + std::nearbyint(degrees * 10));
  l.stepExcess += degrees * 10;
}

// The schedule changed while a pre-heat runs. Returns whether the weather
// modes follow (the change ended the pre-heat).
bool ChangeDuringPreheat(const HeatingParts& heating) {
  ControlState& c = heating.control;
  ScheduleState& s = heating.schedule;
  float slotTemperature = CurrentSlotTemperature(heating);
  if (s.currentSlot == c.lowSlot) {
    bool peak = SlotTemperature(heating, c.previousSlot) < slotTemperature &&
                SlotTemperature(heating, s.nextSlot) < slotTemperature;
    s.programTemp = slotTemperature;
    if (peak) {
      c.setpoint = 0;
      c.troughTemp = 0;
      s.programTemp = slotTemperature - kTemperatureNudge;
    }
    return false;
  }
  // The pre-heat's set-point carries the weather's correction of its start.
  float wanted = slotTemperature + c.weatherOffset;
  if (wanted == c.previousSetpoint) {
    // The period the pre-heat was heading for has begun. A burn still
    // climbing towards it goes on as the pre-heat, so that its end is
    // measured and the pre-heat is learned from.
    if (s.programTemp <= slotTemperature && c.heatState == HeatState::kOn) return false;
    TakeOverChange(heating);
    return true;
  }
  c.setpoint = wanted;
  float lowTemperature = SlotTemperature(heating, c.lowSlot);
  if (lowTemperature <= c.setpoint) {
    GrowStepsToGain(heating, c.setpoint - c.previousSetpoint);
  } else {
    c.troughTemp = 0;
    s.programTemp = lowTemperature + kTemperatureNudge;
  }
  return false;
}

// Returns whether the weather modes run next.
bool TakeOverSchedule(const HeatingParts& heating) {
  ControlState& c = heating.control;
  float slotTemperature = CurrentSlotTemperature(heating);
  if (slotTemperature == heating.schedule.programTemp) return true;
  if (InPreheat(c)) return ChangeDuringPreheat(heating);
  TakeOverChange(heating);
  return true;
}

// --- C. Pre-heat planning and progress -------------------------------------

// The steps still to climb (tenths of a degree) towards `target`, and what
// the learned ceiling leaves above the interior.
void PlanSteps(const HeatingParts& heating, float target, float offset) {
  LearningState& l = heating.learning;
  float inert = heating.settings.Inert_Deg;
  l.stepsToGain = Saturate<int16_t>(
      std::floor(10 * target - std::floor(10 * (heating.control.interiorTemp - offset)) + 1));
  l.stepExcess = (10 * target - std::floor(10 * target)) + (l.stepsToGain - inert);
  if (l.stepExcess <= 0) l.stepExcess = 0;
  if (l.stepsToGain < 1) l.stepsToGain = 0;
  l.ceilingMargin = l.ceilingTemp - heating.control.interiorTemp - offset - inert / 10;
}

void FillRecordStart(const HeatingParts& heating) {
  const DayStatistics& day = heating.statistics.day;
  const ControlState& c = heating.control;
  PreheatFields f(heating.preheatLayout);
  Record& r = heating.learning.preheatRecord;
  float meanExterior = DayMean(day, day.exterior);
  float meanWind = DayMean(day, day.wind);
  r.Set(f.Date(), heating.clock.todayDate);
  r.Set(f.Number(kStartTime), static_cast<float>(heating.clock.clockSeconds));
  r.Set(f.Number(kDayMeanExterior), meanExterior);
  r.Set(f.Number(kDayMeanWind), meanWind);
  r.Set(f.Number(kDayMeanSun), DayMean(day, day.sun));
  r.Set(f.Number(kDayWindChill), Windchill(meanExterior, meanWind));
  r.Set(f.Number(kStartExterior), c.exteriorTemp);
  r.Set(f.Number(kStartWind), c.windHour);
  r.Set(f.Number(kStartSun), heating.settings.Sun_Sensor_Ceil / 100 * c.sunHour);
  r.Set(f.Number(kStartWindChill), Windchill(c.exteriorTemp, c.windHour));
  r.Set(f.Number(kPredictedSeconds), static_cast<float>(heating.learning.estimatedPreheatSeconds));
}

void StartPreheat(const HeatingParts& heating) {
  ControlState& c = heating.control;
  FillRecordStart(heating);
  c.heatMode = HeatMode::kPreheat;
  heating.learning.stepThreshold = std::floor(c.interiorTemp + 1);
  c.setpoint = heating.schedule.nextSetpoint;
  c.switchTemp = 0;
  c.peakTemp = 99;
  ResetSwitching(c);
  if (c.fitDone == 0) heating.operations.ForgetPreviousSteps();
}

bool EstimateIsStale(const HeatingParts& heating) {
  const ControlState& c = heating.control;
  const LearningState& l = heating.learning;
  // The last re-estimate may date from yesterday evening; on today's clock it
  // lies a day back, or the halving would wait for the evening and the
  // morning's pre-heat would start on the weather of midnight.
  double last = c.lastEstimateTime;
  if (last > heating.clock.clockSeconds) last -= 86400;
  double halfway = last + ((static_cast<double>(c.pendingSlotEnd) - l.estimatedPreheatSeconds) - last) / 2;
  return heating.clock.clockSeconds >= halfway && c.pendingSlotEnd - l.estimatedArrival > 300;
}

void PlanPreheat(const HeatingParts& heating) {
  ControlState& c = heating.control;
  LearningState& l = heating.learning;
  LearningOperations& learning = heating.operations;
  heating.schedule.nextSetpoint = c.weatherOffset + SlotTemperature(heating, heating.schedule.nextSlot);
  c.slotEnd = SlotEndSeconds(heating, heating.schedule.currentSlot);
  if (c.slotEnd != c.pendingSlotEnd) c.planFlag = -1;
  c.pendingSlotEnd = c.slotEnd;
  if (EstimateIsStale(heating)) {
    c.planFlag = -1;
    c.lastEstimateTime = heating.clock.clockSeconds;
  }
  if (c.planFlag < 0) {
    learning.ReadPreheatHistory();
    learning.RecomputeProject();
  }
  if (c.fitDone == 0) learning.EvaluateModels();
  l.stepIndex = -1;
  PlanSteps(heating, heating.schedule.nextSetpoint, l.firstStepOffset);
  if (c.planFlag < 0) {
    learning.RecomputeProject();
    c.planFlag = 0;
  }
  learning.ComputePreheatDuration(l.timeConst);
  if (c.interiorTemp < heating.schedule.nextSetpoint && c.pendingSlotEnd <= l.estimatedArrival)
    StartPreheat(heating);
}

void PreheatReached(const HeatingParts& heating) {
  ControlState& c = heating.control;
  LearningState& l = heating.learning;
  c.heatMode = HeatMode::kSetBack;
  c.setpoint = c.weatherOffset + heating.schedule.programTemp;
  c.switchTemp = 0;
  c.troughTemp = 0;
  ResetSwitching(c);
  l.setbackStartTime = static_cast<float>(heating.clock.clockSeconds);
  l.setbackStartInterior = c.interiorTemp;
  l.setbackStartExterior = c.exteriorTemp;
  heating.operations.ArchivePreheatSteps();
}

bool StepReached(const HeatingParts& heating) {
  LearningState& l = heating.learning;
  const ControlState& c = heating.control;
  if (l.stepIndex == -1) return true;
  if (c.interiorTemp < l.stepThreshold) {
    l.stepIndex = 0;
    PlanSteps(heating, c.setpoint, 0);
    return true;
  }
  float last = l.stepTable(l.stepIndex, kStepInterior);
  return c.interiorTemp >= std::floor(10 * last) / 10 + 0.1f;
}

void RecordStep(const HeatingParts& heating) {
  LearningState& l = heating.learning;
  const ControlState& c = heating.control;
  ++l.stepIndex;
  l.stepsRecorded = l.stepIndex;
  // A long pre-heat climbs more tenths than the table was dimensioned for.
  if (l.stepIndex > l.stepTable.Rows()) l.stepTable.GrowRows(l.stepIndex + 20);
  l.stepTable(l.stepIndex, kStepTime) = static_cast<float>(heating.clock.clockSeconds);
  l.stepTable(l.stepIndex, kStepExterior) = c.exteriorTemp;
  l.stepTable(l.stepIndex, kStepInterior) = c.interiorTemp;
  heating.operations.FitPreheatCurve(l.modelKind);
  bool quadratic = l.modelKind < 3;
  l.stepTable(l.stepIndex, kStepFitted1) = quadratic ? l.slope : l.fittedTimeConst;
  l.stepTable(l.stepIndex, kStepFitted2) = quadratic ? l.curve : l.fittedCeiling;
}

void PreheatRunning(const HeatingParts& heating) {
  ControlState& c = heating.control;
  LearningState& l = heating.learning;
  CardState& card = heating.card;
  // A pre-heat burns with both stages. The card is written once, by the
  // burner decision later in this pass: writing here too could pulse the
  // second stage's relay when that decision takes it off again.
  if ((card.outputByte & ~card.stage2Mask) != 0) SwitchOn(card, card.stage2Mask);
  CurrentRowState(c) = CycleCodeValue(CycleCode::kPreheat);
  if (l.stepIndex <= heating.settings.Inert_Deg) l.fittedTimeConst = l.timeConst;
  if (StepReached(heating)) RecordStep(heating);
  heating.operations.ComputePreheatDuration(l.fittedTimeConst);
  l.stepTable(l.stepIndex, kStepArrival) = static_cast<float>(l.estimatedArrival);
  if (heating.clock.clockSeconds == c.pendingSlotEnd) {
    l.fittedTimeConst = l.timeConst;
    l.fittedCeiling = l.ceilingTemp;
    c.changeFlags |= 1;
  }
}

void PreheatPlanning(const HeatingParts& heating) {
  ControlState& c = heating.control;
  ScheduleState& s = heating.schedule;
  if (c.setpoint != s.nextSetpoint && InPreheat(c) && s.currentSlot == c.lowSlot) {
    GrowStepsToGain(heating, s.nextSetpoint - c.setpoint);
    c.setpoint = s.nextSetpoint;
  }
  // Both set-points carry the weather's correction: a pre-heat is for a
  // warmer slot, not for the correction of the slot in force.
  float held = s.programTemp + c.weatherOffset;
  if (s.nextSetpoint <= held && c.setpoint <= held) return;
  if (!InPreheat(c)) {
    PlanPreheat(heating);
  } else if (c.heatState == HeatState::kOff) {
    PreheatReached(heating);
  } else {
    PreheatRunning(heating);
  }
}

// --- D. The burner ---------------------------------------------------------

// One more row in use, each moving down one: row 1 is free for the newest.
void ShiftHistory(Table<float>& history, int& count, int capacity) {
  count = std::min(count + 1, capacity);
  for (int row = count; row >= 2; --row) history(row) = history(row - 1);
}

float HistoryMean(const Table<float>& history, int count) {
  float sum = 0;
  for (int row = 1; row <= count; ++row) sum += history(row);
  return count > 0 ? sum / static_cast<float>(count) : 0;
}

void LearnOvershoot(ControlState& c) {
  if (c.switchTemp <= 0) return;
  ShiftHistory(c.overshootHistory, c.overshootCount, c.shootCapacity);
  c.overshootHistory(1) = c.peakTemp - c.switchTemp;
  c.meanOvershoot = HistoryMean(c.overshootHistory, c.overshootCount);
  ShiftHistory(c.undershootHistory, c.undershootCount, c.shootCapacity);
}

void BurnerOn(const HeatingParts& heating) {
  ControlState& c = heating.control;
  CardState& card = heating.card;
  c.heatState = HeatState::kOn;
  SwitchOn(card, card.heatPumpMask | card.stage1Mask | card.fanHighMask | c.contFanBits);
  // A pre-heat burn has both stages from its first pass.
  if (InPreheat(c)) SwitchOn(card, card.stage2Mask);
  c.cycleState = InPreheat(c) ? CycleCode::kPreheat : CycleCode::kHeating;
  LearnOvershoot(c);
  c.troughTemp = c.interiorTemp;
  c.switchTemp = c.interiorTemp;
  c.changeFlags |= 1;
}

void StartRowOnChange(const HeatingParts& heating) {
  ControlState& c = heating.control;
  StatisticsState& st = heating.statistics;
  float rowState = CurrentRowState(c);
  if (HoldsCode(rowState, c.cycleState)) return;
  if (c.cycleState == CycleCode::kOff) st.offSeconds = 0;
  if (HoldsCode(rowState, CycleCode::kOff)) st.onSeconds = 0;
  StartCycleRow(c, c.cycleState, static_cast<float>(heating.clock.clockSeconds), c.interiorTemp,
                c.exteriorTemp);
}

void BurnerIsOff(const HeatingParts& heating) {
  ControlState& c = heating.control;
  CardState& card = heating.card;
  c.cycleState = CycleCodeOf(CurrentRowState(c));
  HeatPumpDecision({heating.settings, heating.card, c}, heating.schedule, heating.learning.estimatedArrival);
  // The row of a burner that just stopped learns what the off period is.
  if (HoldsCode(CurrentRowState(c), CycleCode::kHeatPumpWait))
    CurrentRowState(c) = CycleCodeValue(c.cycleState);
  c.peakTemp = std::max(c.peakTemp, c.interiorTemp);
  if (c.interiorTemp < c.peakTemp - Dwell(heating)) {
    c.trend = Trend::kDown;
    SwitchOff(card, card.fanHighMask);
    SwitchOn(card, c.contFanBits);
  } else {
    c.trend = Trend::kUp;
  }
  if (c.interiorTemp < c.meanUndershoot + c.setpoint && c.trend == Trend::kDown) BurnerOn(heating);
  StartRowOnChange(heating);
  WriteOutputByte(heating);
}

void FillRecordEnd(const HeatingParts& heating) {
  PreheatFields f(heating.preheatLayout);
  heating.learning.preheatRecord.Set(f.EnergyUsed(),
                                     heating.statistics.energyToday - heating.learning.setbackStartEnergy);
  heating.learning.preheatRecord.Set(f.Reserved(), 0);
  heating.learning.preheatRecord.Set(f.Variant(), static_cast<int16_t>(heating.control.heatPumpHold));
}

int16_t RoundedSeconds(float seconds) {
  float clamped = std::clamp(std::nearbyint(seconds), -32768.0f, 32767.0f);
  return static_cast<int16_t>(clamped);
}

void FillRecordCompletion(const HeatingParts& heating) {
  const LearningState& l = heating.learning;
  const ControlState& c = heating.control;
  PreheatFields f(heating.preheatLayout);
  Record& r = heating.learning.preheatRecord;
  const Table<float>& steps = l.stepTable;
  int inert = std::clamp<int>(heating.settings.Inert_Deg, 0, l.stepIndex);
  r.Set(f.FittedTimeConst(), l.fittedTimeConst);
  r.Set(f.FittedCeiling(), l.fittedCeiling);
  r.Set(f.Slope(), l.slope);
  r.Set(f.Curve(), l.curve);
  r.Set(f.Number(kFirstStepInterior), steps(0, kStepInterior));
  r.Set(f.Number(kStepThreshold), l.stepThreshold);
  r.Set(f.Number(kEndInterior), c.interiorTemp);
  r.Set(f.Number(kProgrammedTime), static_cast<float>(c.pendingSlotEnd));
  r.Set(f.Number(kActualSeconds), static_cast<float>(heating.clock.clockSeconds) - steps(0, kStepTime));
  r.Set(f.InertDeg(), heating.settings.Inert_Deg);
  r.Set(f.RiseDelay(), RoundedSeconds(steps(1, kStepTime) - steps(0, kStepTime)));
  r.Set(f.InertiaDelay(), RoundedSeconds(steps(inert, kStepTime) - steps(1, kStepTime)));
  r.Set(f.Number(kSetbackStartTime), l.setbackStartTime);
  r.Set(f.Number(kSetbackStartExterior), l.setbackStartExterior);
  r.Set(f.Number(kSetbackStartInterior), l.setbackStartInterior);
  r.Set(f.Number(kDropRate), l.dropRate);
  r.Set(f.Number(kDropTimeConst), l.dropTimeConst);
}

// A pre-heat that climbed a full degree of steps is long enough to learn
// from. Steps count from the first whole degree above the start, so an
// evening pre-heat from a day's 19.3 to 21 has only ten; a limit of three
// degrees kept every such pre-heat out of the history, and the evening's
// estimates came from the mornings' records, a steady ten minutes late on
// a slow house.
constexpr int kMinLearnedSteps = 10;

// A pre-heat long enough to learn from, whose start estimate was within an
// hour, becomes a record of the history.
void RecordPreheat(const HeatingParts& heating) {
  LearningState& l = heating.learning;
  const ControlState& c = heating.control;
  // The steps must also reach past the inertia, where the curve is fitted.
  int learnedSteps = std::max<int>(kMinLearnedSteps, heating.settings.Inert_Deg + 2);
  if (c.hpChangedInPreheat != 0 || c.planFlag < 0 || l.stepIndex < learnedSteps) return;
  PreheatFields f(heating.preheatLayout);
  float predicted = l.preheatRecord.Get(f.Number(kPredictedSeconds));
  float actual = static_cast<float>(heating.clock.clockSeconds) - l.stepTable(0, kStepTime);
  if (std::fabs(predicted - actual) >= 3600) return;
  int16_t kind = l.modelKind;
  heating.operations.FitPreheatCurve(kind == 1 ? 3 : 1);
  l.modelKind = kind;
  FillRecordCompletion(heating);
  heating.operations.AppendPreheatRecord();
}

void BurnerOff(const HeatingParts& heating) {
  ControlState& c = heating.control;
  CardState& card = heating.card;
  LearningState& l = heating.learning;
  c.heatState = HeatState::kOff;
  SwitchOff(card, card.stage1Mask | card.stage2Mask);
  WriteOutputByte(heating);
  // A new off period starts its own timer.
  heating.statistics.offSeconds = 0;
  StartCycleRow(c, heating.settings.HP == 1 ? CycleCode::kHeatPumpWait : CycleCode::kOff,
                static_cast<float>(heating.clock.clockSeconds), c.interiorTemp, c.exteriorTemp);
  c.peakTemp = c.interiorTemp;
  c.switchTemp = c.interiorTemp;
  c.changeFlags |= 1;
  heating.days.SaveDayState();
  FillRecordEnd(heating);
  if (l.logPending != 0 && l.stepIndex > 0) {
    heating.operations.CompleteLearningLog();
    l.logPending = 0;
    l.setbackStartEnergy = heating.statistics.energyToday;
  }
  RecordPreheat(heating);
  l.stepIndex = -1;
  c.hpChangedInPreheat = 0;
}

void SecondStage(const HeatingParts& heating) {
  ControlState& c = heating.control;
  CardState& card = heating.card;
  if (InPreheat(c)) {
    // A pre-heat burns with both stages from its start to its end.
    SwitchOn(card, card.stage2Mask);
  } else if (c.interiorTemp >= c.setpoint - c.stage2Band) {
    SwitchOff(card, card.stage2Mask);
    c.stage2Band = Dwell(heating);
  } else {
    SwitchOn(card, card.stage2Mask);
    c.stage2Band = -Dwell(heating);
  }
  WriteOutputByte(heating);
}

void BurnerIsOn(const HeatingParts& heating) {
  ControlState& c = heating.control;
  c.troughTemp = std::min(c.troughTemp, c.interiorTemp);
  if (c.interiorTemp <= c.troughTemp + Dwell(heating)) {
    c.trend = Trend::kDown;
  } else {
    c.trend = Trend::kUp;
    if (c.undershootCount != 2) {
      c.undershootHistory(1) = c.switchTemp - c.troughTemp;
      c.meanUndershoot = HistoryMean(c.undershootHistory, c.undershootCount);
    }
  }
  SecondStage(heating);
  if (c.interiorTemp >= c.meanUndershoot + c.setpoint - c.meanOvershoot && c.trend == Trend::kUp)
    BurnerOff(heating);
}

}  // namespace

void WeatherModes(ControlState& c, const Settings& s, float programTemp) {
  c.weatherMode = WeatherMode::kNone;
  c.coldRaise = 0;
  c.sunnyDrop = 0;
  if (s.COLD_Mode == 1 && c.windHour > s.WIND_Floor + 0.5f && c.exteriorTemp <= s.Ext_Temp_Ceil) {
    c.weatherMode = WeatherMode::kCold;
    c.coldRaise = std::fabs(s.Temp_SetForward);
  }
  if (s.SUNNY_Econo_Mode == 1 && c.sunHour > s.SUN_Floor + 0.09f && c.exteriorTemp >= s.Ext_Temp_Floor) {
    c.weatherMode = WeatherMode::kSunny;
    c.sunnyDrop = std::fabs(s.Temp_SetBack);
  }
  if (c.coldRaise - c.sunnyDrop != c.weatherOffset) {
    c.weatherOffset = c.coldRaise - c.sunnyDrop;
    c.setpoint = c.weatherOffset + programTemp;
    c.changeFlags |= 1;
  }
}

void HeatingDecision(const HeatingParts& heating) {
  bool weather = TakeOverSchedule(heating);
  if (weather && !InPreheat(heating.control))
    WeatherModes(heating.control, heating.settings, heating.schedule.programTemp);
  PreheatPlanning(heating);
  if (heating.control.heatState == HeatState::kOff) {
    BurnerIsOff(heating);
  } else {
    BurnerIsOn(heating);
  }
}

}  // namespace kelvora
