#include "Monitor/control/weather.h"

#include <algorithm>
#include <cmath>

#include "Functions/formulas.h"
#include "Monitor/card/sensors.h"
#include "Monitor/control/smoothing.h"

namespace kelvora {

namespace {

// Columns of a quarterLog row; column 0 is not used.
constexpr int kQuarterExterior = 1;
constexpr int kQuarterSun = 2;
// The warm bias compares means over this many quarter hours.
constexpr int kBiasRows = 6;

// The samples a ring can hold: its capacity, within its dimensioned slots.
int RingLimit(const Table<float>& ring, int capacity) {
  return std::clamp(capacity, 1, std::max(ring.Rows(), 1));
}

// Degrees the sun adds to the exterior sensor at the given strength (percent).
float SunWarming(const Settings& settings, float sunCorrection) {
  double warming = std::fabs(settings.SUN_Adjust) * std::pow(static_cast<double>(sunCorrection) / 100,
                                                             static_cast<double>(settings.SUN_Adj_Curve));
  // A negative curve would turn a sunless sky into infinite warming; no sun
  // is no correction then.
  return std::isfinite(warming) ? static_cast<float>(warming) : 0.0f;
}

void ReadInterior(const SensorParts& parts, CardIo& card) {
  ControlState& c = parts.control;
  float sample = InteriorFromRaw(card.ReadChannel(kInteriorChannel), parts.settings.Int_Adjust);
  c.interiorTemp = PushSample(c.interiorRing, c.interiorCursor, c.capacities.interior, sample);
}

// Both exterior columns share one cursor: the raw column first, then the
// sun-corrected one, which advances it.
void ReadExterior(const SensorParts& parts, CardIo& card) {
  ControlState& c = parts.control;
  float sample = ExteriorFromRaw(card.ReadChannel(kExteriorChannel), parts.settings.Ext_Adjust);
  int capacity = c.capacities.exterior;
  c.exteriorTempRaw = PushSample(c.exteriorRing, c.exteriorCursor, capacity, sample, 0, false);
  float corrected = sample - SunWarming(parts.settings, c.sunCorrection) - c.exteriorBias;
  c.exteriorTemp = PushSample(c.exteriorRing, c.exteriorCursor, capacity, corrected, 1, true);
}

void ReadSun(const SensorParts& parts, CardIo& card, PrivateProfile& profile) {
  ControlState& c = parts.control;
  Settings& settings = parts.settings;
  float smoothed =
      PushSample(c.sunRing, c.sunCursor, c.capacities.sun, SunFromRaw(card.ReadChannel(kSunChannel)));
  if (smoothed > settings.Sun_Sensor_Ceil) {
    // Learned at once and kept in the settings file, so a restart in the
    // same second already knows it.
    settings.Sun_Sensor_Ceil = smoothed;
    WriteSunSensorCeil(profile, parts.settingsPath, smoothed);
  }
  float ceiling = settings.Sun_Sensor_Ceil;
  c.minimumSunLevel = settings.Min_Sun_Strengh / 100 * ceiling;
  // Before the sensor has ever seen light its ceiling is 0: no sun, not 0/0.
  c.sunNow = ceiling > 0 ? smoothed / ceiling * 100 : 0;
  float& highest = parts.sunHourMax;
  if (highest < c.sunHour) highest = c.sunHour;
}

void ReadWind(const SensorParts& parts, CardIo& card) {
  ControlState& c = parts.control;
  const Settings& settings = parts.settings;
  float sample = WindFromRaw(card.ReadChannel(kWindChannel), settings.Wind_Start, settings.WIND_Adjust);
  c.windNow = PushSample(c.windRing, c.windCursor, c.capacities.wind, sample);
}

// WIND_Floor minutes as a window length the ring can hold: nearest whole
// minute (halves to even), at least 1, at most the ring; a value that is no
// number takes the whole ring.
int SunCorrectionWindow(float windFloor, int limit) {
  if (std::isnan(windFloor)) return limit;
  double minutes = std::nearbyint(static_cast<double>(windFloor));
  return static_cast<int>(std::clamp(minutes, 1.0, static_cast<double>(limit)));
}

// The last character of the minutes of "hh:mm:ss".
std::string MinuteDigit(const std::string& clockText) {
  if (clockText.size() >= 5) return clockText.substr(4, 1);
  return clockText;
}

// Makes room for one more row in a full quarterLog by dropping its oldest.
void DropOldestQuarter(ControlState& c) {
  Table<float>& log = c.quarterLog;
  for (int row = 1; row < c.quarterRows; ++row) {
    log(row, kQuarterExterior) = log(row + 1, kQuarterExterior);
    log(row, kQuarterSun) = log(row + 1, kQuarterSun);
  }
  --c.quarterRows;
}

float QuarterMean(const ControlState& c, int column) {
  float sum = 0;
  for (int row = c.quarterRows - kBiasRows + 1; row <= c.quarterRows; ++row) sum += c.quarterLog(row, column);
  return sum / kBiasRows;
}

void UpdateWarmBias(ControlState& c) {
  float previousExterior = c.quarterExteriorMean;
  float previousSun = c.quarterSunMean;
  c.quarterExteriorMean = QuarterMean(c, kQuarterExterior);
  c.quarterSunMean = QuarterMean(c, kQuarterSun);
  // The first six rows have no earlier means to compare with: they set the
  // reference, instead of counting the whole temperature above 0 as drift.
  bool first = c.quarterRows == kBiasRows;
  if (first || c.quarterExteriorMean < previousExterior || c.quarterSunMean > previousSun) {
    c.exteriorBias = 0;
    c.biasReference = c.quarterExteriorMean;
    return;
  }
  c.exteriorBias = std::max(c.quarterLog(c.quarterRows, kQuarterExterior) - c.biasReference, 0.0f);
}

}  // namespace

void ReadSensors(const SensorParts& parts, CardIo& card, PrivateProfile& profile) {
  ReadInterior(parts, card);
  ReadExterior(parts, card);
  ReadSun(parts, card, profile);
  ReadWind(parts, card);
}

void MinuteStep(ControlState& c, const Settings& settings, const std::string& clockText) {
  std::string digit = MinuteDigit(clockText);
  if (digit == c.lastMinuteDigit) return;
  c.lastMinuteDigit = digit;
  const RingCapacities& capacity = c.capacities;
  c.sunHour = PushSample(c.sunHourRing, c.sunHourCursor, capacity.sunHour, c.sunNow);
  int window =
      SunCorrectionWindow(settings.WIND_Floor, RingLimit(c.sunCorrectionRing, capacity.sunCorrection));
  if (window != c.sunCorrectionWindow) {
    c.sunCorrectionWindow = window;
    EmptyRing(c.sunCorrectionRing, c.sunCorrectionCursor);
  }
  float correction = PushSample(c.sunCorrectionRing, c.sunCorrectionCursor, window, c.sunNow);
  c.sunCorrection = std::max(correction, 0.0f);
  c.windHour = PushSample(c.windHourRing, c.windHourCursor, capacity.windHour, c.windNow);
}

void QuarterHourStep(ControlState& c) {
  // A day has 96 quarter hours, but a clock set back can bring more: the
  // newest rows are the ones the bias needs.
  int capacity = std::min(c.capacities.quarter, c.quarterLog.Rows());
  if (capacity < 1) return;
  if (c.quarterRows >= capacity) {
    c.quarterRows = capacity;
    DropOldestQuarter(c);
  }
  int row = ++c.quarterRows;
  c.quarterLog(row, kQuarterExterior) = c.exteriorTempRaw;
  c.quarterLog(row, kQuarterSun) = c.sunHour;
  if (c.quarterRows >= kBiasRows) UpdateWarmBias(c);
}

void UpdateWindChill(ControlState& c) { c.windChill = Windchill(c.exteriorTemp, c.windHour); }

bool WindRingFull(const ControlState& c) {
  return c.windCursor.count >= RingLimit(c.windRing, c.capacities.wind);
}

}  // namespace kelvora
