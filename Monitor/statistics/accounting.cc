#include "Monitor/statistics/accounting.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "Functions/formulas.h"
#include "Monitor/core/clock_text.h"
#include "Monitor/statistics/season_file.h"

namespace kelvora {
namespace {

constexpr int32_t kSecondsPerDay = 86400;
constexpr float kSecondsPerHour = 3600;

// A duty or share over no time (the first pass of a day, a house rated
// 0 kW) has no value: the last one stands, so nothing shown is ever NaN or
// infinite.
void SetIfFinite(float& target, float value) {
  if (std::isfinite(value)) target = value;
}

// Row durations and running times are whole seconds held as singles.
int32_t WholeSeconds(float seconds) {
  if (!(seconds > 0)) return 0;
  if (seconds >= static_cast<float>(std::numeric_limits<int32_t>::max())) {
    return std::numeric_limits<int32_t>::max();
  }
  return static_cast<int32_t>(seconds);
}

// The minutes of a FormatDuration text "hh:mm:ss".
int MinutesOf(const std::string& duration) {
  if (duration.size() < 5) return 0;
  return (duration[3] - '0') * 10 + (duration[4] - '0');
}

// The clock stamp, the day change and a clock set back.
AccountOutcome TickClock(ClockState& clock, Clock& source) {
  clock.elapsedSeconds = TickSeconds(source, clock.clockSeconds, clock.previousClockSeconds);
  if (clock.elapsedSeconds == 0) return AccountOutcome::kSameSecond;
  if (clock.elapsedSeconds > 0) return AccountOutcome::kAccounted;
  if (clock.todayDate != F8Date(SystemDateText(source.Now()))) {
    clock.elapsedSeconds = kSecondsPerDay - clock.previousClockSeconds;
    clock.clockSeconds = 0;
    return AccountOutcome::kDayEnded;
  }
  // Until the clock passes the last stamp again, no second counts twice.
  clock.clockSeconds = clock.previousClockSeconds;
  clock.elapsedSeconds = 0;
  return AccountOutcome::kClockSetBack;
}

// The power of the outputs that are on, the energy, and the set-back account.
void AccountEnergy(const StatisticsParts& parts) {
  StatisticsState& s = parts.statistics;
  float elapsed = static_cast<float>(parts.clock.elapsedSeconds);
  s.powerNow = PowerOfOutputs(parts.card, parts.card.outputByte);
  float energy = elapsed / kSecondsPerHour * s.powerNow;
  s.energyToday += energy;
  if (parts.control.setBackActive != 0) {
    s.setbackSeconds += elapsed;
    s.setbackEnergy += energy;
  }
}

// The duties and the set-back saving. `dayTime` is the time of day accounted so far: at the pass
// that ends the day clockSeconds is already 0, but the whole day has passed.
void AccountDuties(StatisticsState& s, float ratedPower, int32_t dayTime) {
  if (s.setbackEnergy > 0) {
    SetIfFinite(s.setbackDuty, 100 * s.setbackEnergy / (s.setbackSeconds / kSecondsPerHour * ratedPower));
  }
  float regularHours = (static_cast<float>(dayTime) - s.setbackSeconds) / kSecondsPerHour;
  if (regularHours > 0 && ratedPower > 0) {
    SetIfFinite(s.regularDuty, 100 * (s.energyToday - s.setbackEnergy) / (regularHours * ratedPower));
  }
  if (s.energyToday > s.setbackEnergy) {
    // What the set-back hours would have drawn at the regular duty, less what they drew.
    SetIfFinite(s.savedEnergy,
                s.setbackSeconds / kSecondsPerHour * (s.regularDuty / 100) * ratedPower - s.setbackEnergy);
  }
}

// The running cycle row and the on and off timers. True when the day
// state is to be saved.
bool AccountCycleRow(const StatisticsParts& parts) {
  ControlState& c = parts.control;
  StatisticsState& s = parts.statistics;
  if (c.cycleIndex < 1 || c.cycleIndex > c.cycleLog.Rows()) return false;  // no row to time yet
  float elapsed = static_cast<float>(parts.clock.elapsedSeconds);
  float& duration = c.cycleLog(c.cycleIndex, kCycleDuration);
  duration += elapsed;
  c.cycleLog(c.cycleIndex, kCycleEnergy) = s.energyToday;
  if (HoldsCode(c.cycleLog(c.cycleIndex, kCycleState), CycleCode::kOff)) {
    s.offSeconds += elapsed;
    s.offTimeText = FormatDuration(WholeSeconds(duration));
    return MinutesOf(s.offTimeText) == 0;
  }
  s.heatingSeconds += elapsed;
  s.onSeconds += elapsed;
  s.heatingTimeText = FormatDuration(WholeSeconds(s.heatingSeconds));
  s.onTimeText = FormatDuration(WholeSeconds(s.onSeconds));
  return MinutesOf(s.onTimeText) % 5 == 0;
}

// A mark lasts a whole minute of running time: the day is saved when the
// mark is reached, not rewritten at every pass while it lasts.
bool FirstPassOfMarkMinute(const ClockState& clock, StatisticsState& statistics) {
  int32_t minute = clock.clockSeconds / 60;
  if (minute == statistics.lastMarkSaveMinute) return false;
  statistics.lastMarkSaveMinute = minute;
  return true;
}

// The shares of the last off and on periods.
void AccountPeriods(StatisticsState& s) {
  float period = s.offSeconds + s.onSeconds;
  if (!(period > 0)) return;
  SetIfFinite(s.offPercent, 100 * s.offSeconds / period);
  SetIfFinite(s.onPercent, 100 * s.onSeconds / period);
}

}  // namespace

AccountOutcome AccountPass(const StatisticsParts& parts, const StatisticsServices& services) {
  AccountOutcome outcome = TickClock(parts.clock, services.clock);
  if (outcome == AccountOutcome::kSameSecond || outcome == AccountOutcome::kClockSetBack) return outcome;
  AccountEnergy(parts);
  int32_t dayTime = outcome == AccountOutcome::kDayEnded ? kSecondsPerDay : parts.clock.clockSeconds;
  AccountDuties(parts.statistics, parts.card.totalRatedPower, dayTime);
  if (AccountCycleRow(parts) && FirstPassOfMarkMinute(parts.clock, parts.statistics))
    services.days.SaveDayState();
  AccountPeriods(parts.statistics);
  services.status.ShowStatusValues();
  return outcome;
}

float PowerOfOutputs(const CardState& card, uint8_t outputByte) {
  auto on = [outputByte](uint8_t bit) { return (outputByte & bit) != 0; };
  float power = 0;
  if (on(card.fanLowBit)) power += card.fanLowPower;
  if (on(card.fanHighBit)) power += card.fanHighPower - card.fanLowPower;
  if (on(card.stage1Bit)) power += card.stage1Power;
  if (on(card.stage2Bit)) power += card.stage2Power - card.stage1Power;
  if (on(card.heatPumpBit)) power += card.heatPumpPower;
  return power;
}

void CloseDayRecord(const StatisticsParts& parts, const StatisticsServices& services) {
  AppendDayRecord(parts, services, parts.statistics, parts.clock.todayDate);
  StatisticsState& s = parts.statistics;
  s.setbackSeconds = 0;
  s.setbackEnergy = 0;
  s.setbackDuty = 0;
  // A set-back running through midnight keeps measuring from its mark once
  // energyToday starts again from 0.
  s.energyMark = parts.control.setBackActive != 0 ? s.energyMark - s.energyToday : 0;
}

void SetPeriodTexts(StatisticsState& statistics) {
  statistics.onTimeText = FormatDuration(WholeSeconds(statistics.onSeconds));
  statistics.offTimeText = FormatDuration(WholeSeconds(statistics.offSeconds));
}

}  // namespace kelvora
