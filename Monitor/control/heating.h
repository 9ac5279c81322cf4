// The heating decision of every pass: taking over the schedule's
// temperature, the weather corrections, planning and following the morning
// pre-heat, and the burner's two stages with their learned switching
// corrections, each heating cycle logged as a row of the cycle table.
#ifndef KELVORA_MONITOR_CONTROL_HEATING_H_
#define KELVORA_MONITOR_CONTROL_HEATING_H_

#include "Monitor/core/control_host.h"

namespace kelvora {

// Runs after the slot in force has been chosen; writes the output byte to the
// card whenever it changes it.
void HeatingDecision(ControlHost& host);

// The weather corrections: COLD raises, SUNNY lowers the set-point.
void WeatherModes(RunState& state);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_CONTROL_HEATING_H_
