// The sensor half of the control pass: the four channels read, converted
// and smoothed, the sun ceiling learned, the minute and quarter-hour steps
// and the wind chill.
#ifndef KELVORA_MONITOR_CONTROL_WEATHER_H_
#define KELVORA_MONITOR_CONTROL_WEATHER_H_

#include <string>

#include "Monitor/card/card_io.h"
#include "Monitor/control/control_state.h"
#include "Monitor/core/settings.h"
#include "platform/private_profile.h"

namespace kelvora {

// What reading the sensors writes besides the control's values: the sun
// ceiling learned into the settings and their file, and the day's highest
// hourly sun.
struct SensorParts {
  Settings& settings;
  const std::string& settingsPath;
  ControlState& control;
  float& sunHourMax;
};

// Reads channels 0, 4, 6 and 7 and smooths them into interiorTemp,
// exteriorTempRaw / exteriorTemp, sunNow and windNow. A sun reading above
// Sun_Sensor_Ceil raises it and writes it to the settings file at once.
void ReadSensors(const SensorParts& parts, CardIo& card, PrivateProfile& profile);

// Once per minute (the clock's last minute digit changed): the last-hour
// sun and wind rings and the sun-correction window, which follows
// WIND_Floor (limited to its ring) and is emptied when that changes.
void MinuteStep(ControlState& control, const Settings& settings, const std::string& clockText);

// On the quarter hours: the quarterLog row and the exterior warm bias.
void QuarterHourStep(ControlState& control);

// The wind chill of the smoothed exterior and the last hour's wind.
void UpdateWindChill(ControlState& control);

// Whether the wind ring holds as many samples as it can: until then a gust
// stands for too few samples to count as the day's maximum.
bool WindRingFull(const ControlState& control);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_CONTROL_WEATHER_H_
