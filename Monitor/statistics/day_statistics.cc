#include "Monitor/statistics/day_statistics.h"

#include <algorithm>

#include "Monitor/control/weather.h"

namespace kelvora {
namespace {

void Accumulate(Statistic& statistic, float value, float seconds, bool followMaximum) {
  statistic.sum += value * seconds;
  statistic.minimum = std::min(statistic.minimum, value);
  if (followMaximum) statistic.maximum = std::max(statistic.maximum, value);
}

}  // namespace

void UpdateDayStatistics(const ControlState& c, int32_t elapsedSeconds, DayStatistics& day) {
  // A clock set back adds no time to the day.
  auto seconds = static_cast<float>(std::max(elapsedSeconds, 0));
  day.dayWeightSeconds += seconds;
  if (day.dayWeightSeconds < 1) {
    day.dayWeightSeconds = 1;
    day.interior.sum = c.interiorTemp;
    day.exterior.sum = c.exteriorTemp;
    day.windChill.sum = c.exteriorTemp;
    day.sun.sum = c.sunNow;
    day.wind.sum = c.windNow;
  }
  Accumulate(day.interior, c.interiorTemp, seconds, true);
  Accumulate(day.exterior, c.exteriorTemp, seconds, true);
  Accumulate(day.windChill, c.windChill, seconds, true);
  Accumulate(day.sun, c.sunNow, seconds, true);
  // A wind ring still filling up holds a gust over too few samples.
  Accumulate(day.wind, c.windNow, seconds, WindRingFull(c));
}

}  // namespace kelvora
