// The day's weather statistics: each pass adds its seconds to the minimum,
// mean and maximum of the interior, exterior, wind chill, sun and wind.
#ifndef KELVORA_MONITOR_STATISTICS_DAY_STATISTICS_H_
#define KELVORA_MONITOR_STATISTICS_DAY_STATISTICS_H_

#include <cstdint>

#include "Monitor/control/control_state.h"
#include "Monitor/core/statistics_state.h"

namespace kelvora {

// Adds `elapsedSeconds` (none when the clock went back) of the smoothed
// sensors to `day`. The wind's maximum waits for a full wind ring.
void UpdateDayStatistics(const ControlState& control, int32_t elapsedSeconds, DayStatistics& day);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_STATISTICS_DAY_STATISTICS_H_
