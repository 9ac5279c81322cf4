#include "Monitor/card/sensors.h"

#include <algorithm>
#include <cmath>

namespace kelvora {
namespace {

constexpr float kWindFullScale = 116.64f;

}  // namespace

float InteriorFromRaw(float raw, float intAdjust) { return raw / 10 + intAdjust + 5; }

float ExteriorFromRaw(float raw, float extAdjust) { return raw / 2.55f + extAdjust - 50; }

float SunFromRaw(float raw) { return raw * 100 / 255; }

float WindFromRaw(float raw, float windStart, float windAdjust) {
  float span = 255 - windStart;
  // An anemometer that starts at full scale never turns: no wind, not 0/0.
  if (span <= 0) return 0;
  float excess = std::max(raw - windStart, 0.0f);
  return excess / span * windAdjust * kWindFullScale;
}

float WindToRaw(float kmh, float windStart, float windAdjust) {
  float scale = kWindFullScale * windAdjust;
  return (windStart * scale - windStart * kmh + 255 * kmh) / scale;
}

}  // namespace kelvora
