// The sensors' readings as the control pass gets them: the raw byte read
// from the card, or, when the program simulates, a value computed from a
// small model of the house that follows the heating cycles.
#ifndef KELVORA_MONITOR_CONTROL_SIMULATED_HOUSE_H_
#define KELVORA_MONITOR_CONTROL_SIMULATED_HOUSE_H_

#include <cstdint>

#include "Monitor/card/sensors.h"
#include "Monitor/core/random.h"
#include "Monitor/core/run_state.h"
#include "platform/clock.h"
#include "platform/ports.h"

namespace kelvora {

// What a reading needs besides the run state.
struct SensorContext {
  PortAccess& ports;
  Clock& clock;
  UniformRandom& random;
};

// The raw value (0 to 255) of `channel`. The card is read first; in
// simulation the value is replaced by the house model, which may append a
// cycle row after a long gap and re-dimensions the wind rings on its first
// reading.
float ReadChannel(RunState& state, SensorContext& context, int8_t channel);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_CONTROL_SIMULATED_HOUSE_H_
