// The four sensor channels: the raw byte read from the card, or, when the
// program simulates, a value computed from a small model of the house that
// follows the heating cycles; and the conversions of raw values into
// degrees, percent of sun and km/h.
#ifndef KELVORA_MONITOR_CARD_SENSORS_H_
#define KELVORA_MONITOR_CARD_SENSORS_H_

#include <cstdint>

#include "Monitor/core/random.h"
#include "Monitor/core/run_state.h"
#include "platform/clock.h"
#include "platform/ports.h"

namespace kelvora {

enum SensorChannel : int8_t {
  kInteriorChannel = 0,
  kExteriorChannel = 4,
  kSunChannel = 6,
  kWindChannel = 7,
};

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

// Degrees Celsius, percent and km/h from raw values.
float InteriorFromRaw(float raw, float intAdjust);
float ExteriorFromRaw(float raw, float extAdjust);
float SunFromRaw(float raw);
// 0 at or below `windStart`; 116.64 x `windAdjust` at 255.
float WindFromRaw(float raw, float windStart, float windAdjust);
// The raw value, before rounding, that reads as `kmh`: WindFromRaw run backwards.
float WindToRaw(float kmh, float windStart, float windAdjust);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_CARD_SENSORS_H_
