// The learning update: at the start of each set-back, the coming night is
// simulated with the heat pump off and held on; for each the latest pre-heat
// start that still reaches the next set point in time is searched, and the
// variant that costs less energy is kept.
#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <string>

#include "Monitor/core/clock_text.h"
#include "Monitor/core/print_zone.h"
#include "Monitor/core/saturate.h"
#include "Monitor/learning/estimate.h"
#include "Monitor/learning/learning_log.h"
#include "Monitor/learning/preheat_history.h"
#include "Monitor/learning/project_file.h"
#include "Monitor/learning/regression.h"
#include "Monitor/schedule/day_plan.h"

namespace kelvora {
namespace {

// The bisection halves a day in 17 rounds; the rest is room for the
// overshoot corrections. A pre-heat that can never arrive in time ends the
// search at its earliest start instead of running on.
constexpr int kMaxSearchRounds = 64;
// The slowest drop the simulation assumes when neither the model nor the
// class averages know one: five hours a degree, the cold-day default.
constexpr float kFallbackDropRate = 300;

// What the simulation changes and must give back. The period's end stays as
// found: the project file records it, and the control pass replans when its
// own differs.
struct SavedState {
  int32_t clockSeconds;
  float setbackStartTime, setbackStartInterior;
  int32_t estimatedPreheatSeconds, estimatedArrival;
  float interiorTemp, nextSetpoint, sunHour, sunCorrection;
  int16_t stepsToGain, stepIndex, dropIndex;
  float stepExcess, ceilingMargin;
  WeatherMode weatherMode;
  float coldRaise, sunnyDrop, weatherOffset;
};

SavedState Save(const LearningParts& state) {
  const LearningState& l = state.learning;
  const ControlState& c = state.control;
  return SavedState{state.clock.clockSeconds,
                    l.setbackStartTime,
                    l.setbackStartInterior,
                    l.estimatedPreheatSeconds,
                    l.estimatedArrival,
                    c.interiorTemp,
                    state.schedule.nextSetpoint,
                    c.sunHour,
                    c.sunCorrection,
                    l.stepsToGain,
                    l.stepIndex,
                    l.dropIndex,
                    l.stepExcess,
                    l.ceilingMargin,
                    c.weatherMode,
                    c.coldRaise,
                    c.sunnyDrop,
                    c.weatherOffset};
}

void Restore(const LearningParts& state, const SavedState& s) {
  LearningState& l = state.learning;
  ControlState& c = state.control;
  state.clock.clockSeconds = s.clockSeconds;
  l.setbackStartTime = s.setbackStartTime;
  l.setbackStartInterior = s.setbackStartInterior;
  l.estimatedPreheatSeconds = s.estimatedPreheatSeconds;
  l.estimatedArrival = s.estimatedArrival;
  c.interiorTemp = s.interiorTemp;
  state.schedule.nextSetpoint = s.nextSetpoint;
  c.sunHour = s.sunHour;
  c.sunCorrection = s.sunCorrection;
  l.stepsToGain = s.stepsToGain;
  l.stepIndex = s.stepIndex;
  l.dropIndex = s.dropIndex;
  l.stepExcess = s.stepExcess;
  l.ceilingMargin = s.ceilingMargin;
  c.weatherMode = s.weatherMode;
  c.coldRaise = s.coldRaise;
  c.sunnyDrop = s.sunnyDrop;
  c.weatherOffset = s.weatherOffset;
  l.dayMeansAssumed = false;
}

int32_t SlotSeconds(std::string text) { return ParseClockTime(text).seconds; }

// The first slot from `from` on warmer than `floor`: its temperature and start.
std::optional<std::pair<float, int32_t>> WarmerSlot(const ScheduleState& s, int from, float floor) {
  for (int slot = from; slot <= s.slotCount; ++slot) {
    if (s.slotTemps[slot] > floor)
      return std::make_pair(s.slotTemps[slot], SlotSeconds(s.daySlots[slot].start));
  }
  return std::nullopt;
}

// The following weekday's program, resolved on a copy of the schedule.
std::optional<std::pair<float, int32_t>> WarmerSlotTomorrow(const LearningParts& state, float floor) {
  ScheduleState tomorrow = state.schedule;
  tomorrow.currentProgram.clear();
  // No weather correction and no change to show: the copy is only read.
  uint8_t changeFlags = 0;
  DayPlan plan{tomorrow, state.texts, state.settings.languageFrench != 0, state.clock.todayDate,
               0,        changeFlags};
  uint8_t weekday = state.clock.todayWeekday >= 7 ? 1 : static_cast<uint8_t>(state.clock.todayWeekday + 1);
  SelectDayProgram(plan, weekday, "00:00");
  return WarmerSlot(tomorrow, 1, floor);
}

// Sets nextSetpoint and pendingSlotEnd to the next warmer period; false when
// neither today nor the following weekday has one.
bool FindWarmerPeriod(const LearningParts& state) {
  ScheduleState& s = state.schedule;
  float current = s.slotTemps[s.currentSlot];
  // The weather is assumed afresh below: the bare slot temperatures count.
  if (s.slotTemps[s.nextSlot] > current) {
    s.nextSetpoint = s.slotTemps[s.nextSlot];
    state.control.pendingSlotEnd = SlotSeconds(s.daySlots[s.currentSlot].end);
    return true;
  }
  s.nextSetpoint = current;
  auto found = WarmerSlot(s, s.currentSlot + 1, current);
  if (!found) found = WarmerSlotTomorrow(state, current);
  if (!found) return false;
  s.nextSetpoint = found->first;
  state.control.pendingSlotEnd = found->second;
  return true;
}

void AssumeWeather(const LearningParts& state) {
  LearningState& l = state.learning;
  ControlState& c = state.control;
  const Settings& s = state.settings;
  c.sunHour = l.classSun;
  c.sunCorrection = l.classSunPercent;
  l.dayMeansAssumed = true;
  l.assumedDayMeanExterior = c.exteriorTemp;
  l.assumedDayMeanWind = c.windHour;
  c.weatherMode = WeatherMode::kNone;
  c.coldRaise = c.sunnyDrop = 0;
  if (s.COLD_Mode == 1 && c.windHour >= s.WIND_Floor - 0.5f && c.exteriorTemp <= s.Ext_Temp_Ceil &&
      c.windHour > s.WIND_Floor + 0.5f) {
    c.weatherMode = WeatherMode::kCold;
    c.coldRaise = std::fabs(s.Temp_SetForward);
  }
  if (s.SUNNY_Econo_Mode == 1 && c.sunHour >= s.SUN_Floor - 0.09f && c.exteriorTemp >= s.Ext_Temp_Floor &&
      c.sunHour > s.SUN_Floor + 0.09f) {
    c.weatherMode = WeatherMode::kSunny;
    c.sunnyDrop = std::fabs(s.Temp_SetBack);
  }
  c.weatherOffset = c.coldRaise - c.sunnyDrop;
  state.schedule.nextSetpoint += c.weatherOffset;
}

// The drop rate the night will have, from the drop-rate model fitted now.
float PredictDropRate(const LearningParts& state, const LearningServices& services) {
  LearningState& l = state.learning;
  l.currentModel = 0;
  l.variableMask = 125;
  RunRegression(state, services);
  ReadProject(state, services);
  Regressors x = CurrentRegressors(state);
  float r = l.models[0].modelMask != 0 ? ModelValue(l.models[0], x) : 0;
  if (!(r >= 0 && r <= 999)) r = l.classDropRate;
  // A rate of 0 would be a house that cools at once, and the simulated
  // interior would divide by it.
  if (!(r >= 1)) r = l.classDropRate >= 1 ? l.classDropRate : kFallbackDropRate;
  return r;
}

// The state at `mid` seconds: the simulated interior and the arrival of a
// pre-heat started then. The night cools from the set-back's start at `rate`
// minutes a degree, down to `floor`, where the burner holds it.
void SimulateStartAt(const LearningParts& state, int32_t mid, float rate, float floor) {
  LearningState& l = state.learning;
  float next = state.schedule.nextSetpoint;
  float inert = state.settings.Inert_Deg;
  state.clock.clockSeconds = mid;
  float cooled = l.setbackStartInterior - ((mid - l.setbackStartTime) / 60) / rate;
  state.control.interiorTemp = std::max(cooled, floor);
  float interior = state.control.interiorTemp;
  l.stepsToGain =
      Saturate<int16_t>(std::floor(10 * next - std::floor((interior - l.firstStepOffset) * 10) + 1));
  l.stepExcess = (10 * next - std::floor(10 * next)) + (l.stepsToGain - inert);
  if (l.stepExcess <= 0) l.stepExcess = 0;
  l.ceilingMargin = l.ceilingTemp - interior - l.firstStepOffset - inert / 10;
  for (int round = 0; round < 5; ++round) EvaluateModels(state);
  ComputePreheatDuration(state, l.timeConst);
}

// The latest start, searched between the set-back start and the period's
// beginning, whose estimated arrival is not after it.
int32_t SearchLatestStart(const LearningParts& state, float rate, float floor) {
  const LearningState& l = state.learning;
  int32_t due = state.control.pendingSlotEnd;
  int32_t earliest = std::max<int32_t>(0, Saturate<int32_t>(std::nearbyint(l.setbackStartTime)));
  int32_t lo = earliest;
  int32_t hi = due;
  int32_t mid = lo;
  for (int round = 0; round < kMaxSearchRounds; ++round) {
    mid = static_cast<int32_t>(std::floor((static_cast<double>(hi) + lo + 1) / 2));
    bool converged = mid == lo || mid == hi;
    if (!converged) {
      SimulateStartAt(state, mid, rate, floor);
      if (l.estimatedArrival == due) return mid;
      if (l.estimatedArrival < due) {
        lo = mid;
      } else {
        hi = std::max(lo, hi - (l.estimatedArrival - due));
      }
      continue;
    }
    // Still late where the search closed: search again from the earliest start.
    if (l.estimatedArrival <= due || lo == earliest || hi <= earliest) return mid;
    lo = earliest;
  }
  return mid;
}

struct VariantPlan {
  float steps = 0;
  std::string start;
  float energy = 0;
};

VariantPlan SimulateVariant(const LearningParts& state, const LearningServices& services,
                            const SavedState& saved, int variant) {
  LearningState& l = state.learning;
  state.control.heatPumpHold = static_cast<uint16_t>(variant);
  l.setbackStartInterior = saved.setbackStartInterior;
  l.setbackStartTime = std::nearbyint(saved.setbackStartTime);
  if (state.control.pendingSlotEnd < l.setbackStartTime) l.setbackStartTime -= 86400;
  state.clock.clockSeconds = Saturate<int32_t>(l.setbackStartTime);
  ReadPreheatHistory(state, services);
  AssumeWeather(state);
  float rate = PredictDropRate(state, services);
  state.clock.clockSeconds = Saturate<int32_t>(std::nearbyint(60 * rate + l.setbackStartTime));
  state.control.interiorTemp = l.setbackStartInterior - 1;
  RecomputeProject(state, services);
  l.stepIndex = -1;
  l.estimatedPreheatSeconds = 0;
  // The set-back's own set-point, which the burner holds through the night.
  const ScheduleState& s = state.schedule;
  float floor = s.slotTemps[s.currentSlot] + state.control.weatherOffset;
  // A set-back begun last evening cools from then on; the start searched
  // for still lies in the new day.
  int32_t mid = SearchLatestStart(state, rate, floor);
  l.estimatedPreheatSeconds = state.control.pendingSlotEnd - mid;
  VariantPlan plan;
  plan.steps = l.stepsToGain;
  RecomputeProject(state, services);
  services.files.Copy(kProjectFile, "PROJECT" + std::to_string(variant + 1) + ".DAT");
  plan.start = FormatDuration(mid);
  plan.energy = l.estimatedPreheatSeconds / 3600.0f * state.card.totalRatedPower;
  if (variant == 1) plan.energy += (mid - l.setbackStartTime) / 3600 * state.card.heatPumpPower;
  state.schedule.nextSetpoint -= state.control.weatherOffset;
  return plan;
}

void BeginLogLine(const LearningParts& state, const LearningServices& services,
                  const std::array<VariantPlan, 2>& plans) {
  ZoneWriter line;
  line.EndLine()
      .Raw(state.clock.todayDate)
      .Raw(FormatDuration(static_cast<int32_t>(state.learning.setbackStartTime)))
      .Number(state.learning.setbackStartExterior);
  for (const VariantPlan& plan : plans) line.Number(plan.steps / 10).Raw(plan.start).Number(plan.energy);
  services.files.AppendToFile(kLearningLog, line.Text());
}

}  // namespace

void LearningUpdate(const LearningParts& state, const LearningServices& services) {
  LearningState& l = state.learning;
  SavedState saved = Save(state);
  l.logPending = 0;
  if (!FindWarmerPeriod(state)) {
    state.schedule.nextSetpoint = saved.nextSetpoint;
    return;
  }
  // The variants are simulated on the run state itself; a stop from inside
  // them must not save that state as the day's.
  struct PauseSaving {
    DaySaving& days;
    explicit PauseSaving(DaySaving& d) : days(d) { days.PauseDaySaving(true); }
    ~PauseSaving() { days.PauseDaySaving(false); }
  } pause(services.days);
  std::array<VariantPlan, 2> plans;
  for (int variant = 0; variant <= 1; ++variant)
    plans[variant] = SimulateVariant(state, services, saved, variant);
  state.control.heatPumpHold = plans[1].energy <= plans[0].energy ? 1 : 0;
  l.setbackStartTime = static_cast<float>(saved.clockSeconds);
  l.logPending = 1;
  BeginLogLine(state, services, plans);
  WriteProject(state, services);
  Restore(state, saved);
}

}  // namespace kelvora
