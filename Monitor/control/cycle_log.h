// The day's heating-cycle table: adding a row never runs out of room, so a
// day with more cycles than the table was dimensioned for goes on.
#ifndef KELVORA_MONITOR_CONTROL_CYCLE_LOG_H_
#define KELVORA_MONITOR_CONTROL_CYCLE_LOG_H_

#include "Monitor/control/control_state.h"

namespace kelvora {

// Rows are added in blocks of this many when the table is full.
inline constexpr int kCycleLogGrowth = 500;

// Makes row cycleIndex + 1 available (zeroed when new), growing the table
// when needed, and returns its index; cycleIndex itself is left to the caller.
int NextCycleRow(ControlState& control);

// Advances cycleIndex to a new row holding code, start, interior and
// exterior; duration and energy start at 0.
void StartCycleRow(ControlState& control, CycleCode code, float start, float interior, float exterior);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_CONTROL_CYCLE_LOG_H_
