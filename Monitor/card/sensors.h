// The four sensor channels of the card and the conversions of their raw
// values into degrees, percent of sun and km/h.
#ifndef KELVORA_MONITOR_CARD_SENSORS_H_
#define KELVORA_MONITOR_CARD_SENSORS_H_

#include <cstdint>

namespace kelvora {

enum SensorChannel : int8_t {
  kInteriorChannel = 0,
  kExteriorChannel = 4,
  kSunChannel = 6,
  kWindChannel = 7,
};

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
