// The sensors' readings as the control pass gets them: the raw byte read
// from the card, or, when the program simulates, a value computed from a
// small model of the house that follows the heating cycles.
#ifndef KELVORA_MONITOR_CONTROL_SIMULATED_HOUSE_H_
#define KELVORA_MONITOR_CONTROL_SIMULATED_HOUSE_H_

#include <cstdint>

#include "Monitor/card/card_state.h"
#include "Monitor/card/sensors.h"
#include "Monitor/control/control_state.h"
#include "Monitor/core/random.h"
#include "Monitor/core/settings.h"
#include "platform/clock.h"
#include "platform/ports.h"

namespace kelvora {

// What a reading reads and writes: the demo values of the settings, the
// card, the house model and the cycle rows it follows.
struct HouseParts {
  const Settings& settings;
  const CardState& card;
  SensorState& sensors;
  ControlState& control;
};

// The services a reading uses.
struct SensorContext {
  PortAccess& ports;
  Clock& clock;
  UniformRandom& random;
};

// The raw value (0 to 255) of `channel`. The card is read first; in
// simulation the value is replaced by the house model, which may append a
// cycle row after a long gap and re-dimensions the wind rings on its first
// reading.
float ReadChannel(const HouseParts& house, SensorContext& context, int8_t channel);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_CONTROL_SIMULATED_HOUSE_H_
