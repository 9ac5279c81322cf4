// The accounting step that opens every control pass: the clock stamp, the
// day's running times, the energy of the outputs that are on, the set-back
// savings, and the day record written when the day has ended.
#ifndef KELVORA_MONITOR_STATISTICS_ACCOUNTING_H_
#define KELVORA_MONITOR_STATISTICS_ACCOUNTING_H_

#include <cstdint>

#include "Monitor/statistics/statistics_parts.h"

namespace kelvora {

enum class AccountOutcome {
  kSameSecond,  // no time has passed: nothing was accounted
  kAccounted,
  kClockSetBack,  // the clock went back within the day: clockSeconds stays frozen
  kDayEnded,      // the seconds up to midnight were accounted; clockSeconds is 0
};

// Ticks the clock stamp and accounts the elapsed seconds; saves the day state
// on the five-minute marks. When the day has ended the caller closes it.
AccountOutcome AccountPass(const StatisticsParts& parts, const StatisticsServices& services);

// The power (kW) drawn with `outputByte` set, second fan speed and second
// stage counted as increments over the first.
float PowerOfOutputs(const CardState& card, uint8_t outputByte);

// The first steps of the midnight close: appends the day's record to
// "TEMP.DAT" and resets the set-back accounts (carrying energyMark over).
void CloseDayRecord(const StatisticsParts& parts, const StatisticsServices& services);

// The texts of the running times, from their seconds: what the "Last Cycles"
// group shows. The passes keep them up to date; a restored day sets them once.
void SetPeriodTexts(StatisticsState& statistics);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_STATISTICS_ACCOUNTING_H_
