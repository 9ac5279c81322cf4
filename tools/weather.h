// The weather around the physical test house: exterior temperature, wind
// and sun as functions of the simulated time, either read from a CSV file of
// hourly rows (interpolated between rows) or drawn by a generator with daily
// swings, multi-day cold and mild fronts and overcast days. Both are pure
// functions of the time, so any moment can be asked for in any order.
#ifndef KELVORA_TOOLS_WEATHER_H_
#define KELVORA_TOOLS_WEATHER_H_

#include <cstdint>
#include <string>
#include <vector>

#include "platform/clock.h"

namespace kelvora {

// Seconds of local time since 1970-01-01 00:00, as the weather counts them.
double LocalSeconds(const LocalTime& time);

struct WeatherSample {
  double exteriorC = 0;
  double windKmh = 0;
  double sunPct = 0;
};

// The generator's keys, as the [Weather] section names them.
struct WeatherGenerator {
  double Mean_C = -2;
  double Daily_Swing_C = 6;  // coldest near dawn, warmest mid-afternoon
  double Front_Days = 4;     // length of one cold or mild spell
  double Front_Swing_C = 7;  // a spell lies up to this far from the mean
  double Wind_Mean_kmh = 12;
  double Clear_Sun_pct = 70;  // the sensor's reading at noon on a clear day
  double Cloudy_Share = 0.5;  // share of overcast days
  uint32_t Seed = 1;
};

class Weather {
 public:
  // A generated weather.
  explicit Weather(const WeatherGenerator& generator) : generator_(generator) {}

  // Reads "time,exterior_C,wind_kmh,sun_pct" rows (time as
  // "YYYY-MM-DD HH:MM" or "YYYY-MM-DD HH:MM:SS", rising); a first line that
  // does not start with a digit is a header. False, with `error` naming the
  // line, on a damaged file.
  static bool ReadCsv(const std::string& path, Weather* weather, std::string* error);

  // The weather at `seconds`, local time counted from 1970-01-01 00:00.
  // Before the first row of a file the first row holds, after the last the last.
  WeatherSample At(double seconds) const;

 private:
  struct Row {
    double seconds;
    WeatherSample sample;
  };
  Weather() = default;
  WeatherSample Generated(double seconds) const;
  WeatherSample Interpolated(double seconds) const;
  // A uniform number in [0, 1) fixed by the seed, a stream and an index.
  double Draw(uint32_t stream, int64_t index) const;

  WeatherGenerator generator_;
  std::vector<Row> rows_;  // empty for a generated weather
};

}  // namespace kelvora

#endif  // KELVORA_TOOLS_WEATHER_H_
