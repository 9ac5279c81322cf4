#include "tools/weather.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <fstream>
#include <numbers>
#include <sstream>

#include "platform/clock.h"

namespace kelvora {
namespace {

constexpr double kDay = 86400;
constexpr double kWindKnotSeconds = 6 * 3600;  // the wind changes over hours, not seconds
constexpr double kCloudySunShare = 0.15;       // what an overcast sky lets through
constexpr double kSunrise = 8, kSunset = 16;   // winter daylight, hours
constexpr double kColdest = 6, kWarmest = 15;  // hours of the daily swing's ends

uint64_t Mix(uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

// Cosine easing between two knots, so spells turn without a kink.
double Ease(double from, double to, double fraction) {
  double weight = (1 - std::cos(std::numbers::pi * fraction)) / 2;
  return from + (to - from) * weight;
}

// -1 at the coldest hour, +1 at the warmest: a nine-hour rise and a
// fifteen-hour fall.
double DailyShape(double hour) {
  if (hour >= kColdest && hour <= kWarmest) return -std::cos(std::numbers::pi * (hour - kColdest) / 9);
  double since = hour >= kWarmest ? hour - kWarmest : hour + 24 - kWarmest;
  return std::cos(std::numbers::pi * since / 15);
}

bool ParseField(const std::string& text, double* value) {
  char* end = nullptr;
  *value = std::strtod(text.c_str(), &end);
  return !text.empty() && end == text.c_str() + text.size() && std::isfinite(*value);
}

bool ParseRow(const std::string& line, double* seconds, WeatherSample* sample, std::string* why) {
  std::vector<std::string> fields;
  std::stringstream stream(line);
  for (std::string field; std::getline(stream, field, ',');) fields.push_back(field);
  if (fields.size() != 4) {
    *why = "wants 4 fields (time,exterior_C,wind_kmh,sun_pct), has " + std::to_string(fields.size());
    return false;
  }
  std::string time = fields[0];
  if (time.size() == 16) time += ":00";
  LocalTime local;
  if (!ParseLocalTime(time, &local)) {
    *why = "the time \"" + fields[0] + "\" is not YYYY-MM-DD HH:MM[:SS]";
    return false;
  }
  *seconds = LocalSeconds(local);
  const char* names[] = {"exterior_C", "wind_kmh", "sun_pct"};
  double* values[] = {&sample->exteriorC, &sample->windKmh, &sample->sunPct};
  for (int i = 0; i < 3; ++i) {
    if (!ParseField(fields[i + 1], values[i])) {
      *why = std::string(names[i]) + " \"" + fields[i + 1] + "\" is not a number";
      return false;
    }
  }
  if (sample->windKmh < 0 || sample->sunPct < 0 || sample->sunPct > 100) {
    *why = "wind below 0 or sun outside 0 to 100";
    return false;
  }
  return true;
}

}  // namespace

double LocalSeconds(const LocalTime& t) {
  using namespace std::chrono;
  sys_days day = year_month_day{year{t.year}, month{static_cast<unsigned>(t.month)},
                                std::chrono::day{static_cast<unsigned>(t.day)}};
  return static_cast<double>(day.time_since_epoch().count()) * kDay + SecondsOfDay(t) +
         t.millisecond / 1000.0;
}

bool Weather::ReadCsv(const std::string& path, Weather* weather, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "the weather file " + path + " cannot be read";
    return false;
  }
  Weather read;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || (number == 1 && !std::isdigit(static_cast<unsigned char>(line[0])))) continue;
    Row row{};
    std::string why;
    if (!ParseRow(line, &row.seconds, &row.sample, &why)) {
      *error = path + " line " + std::to_string(number) + ": " + why;
      return false;
    }
    if (!read.rows_.empty() && row.seconds <= read.rows_.back().seconds) {
      *error = path + " line " + std::to_string(number) + ": the time does not come after the line before";
      return false;
    }
    read.rows_.push_back(row);
  }
  if (read.rows_.empty()) {
    *error = "the weather file " + path + " has no rows";
    return false;
  }
  *weather = std::move(read);
  return true;
}

WeatherSample Weather::At(double seconds) const {
  return rows_.empty() ? Generated(seconds) : Interpolated(seconds);
}

WeatherSample Weather::Interpolated(double seconds) const {
  auto after = std::upper_bound(rows_.begin(), rows_.end(), seconds,
                                [](double s, const Row& row) { return s < row.seconds; });
  if (after == rows_.begin()) return rows_.front().sample;
  if (after == rows_.end()) return rows_.back().sample;
  const Row& before = *(after - 1);
  double f = (seconds - before.seconds) / (after->seconds - before.seconds);
  auto mix = [f](double a, double b) { return a + (b - a) * f; };
  return {mix(before.sample.exteriorC, after->sample.exteriorC),
          mix(before.sample.windKmh, after->sample.windKmh), mix(before.sample.sunPct, after->sample.sunPct)};
}

double Weather::Draw(uint32_t stream, int64_t index) const {
  uint64_t key = Mix(Mix(uint64_t{generator_.Seed} << 8 | stream) ^ static_cast<uint64_t>(index));
  return static_cast<double>(key >> 11) / 9007199254740992.0;
}

WeatherSample Weather::Generated(double seconds) const {
  const WeatherGenerator& g = generator_;
  auto day = static_cast<int64_t>(std::floor(seconds / kDay));
  double hour = (seconds - static_cast<double>(day) * kDay) / 3600;

  double frontLength = std::max(g.Front_Days, 0.25) * kDay;
  double frontPosition = seconds / frontLength;
  auto front = static_cast<int64_t>(std::floor(frontPosition));
  double spell =
      Ease((2 * Draw(2, front) - 1) * g.Front_Swing_C, (2 * Draw(2, front + 1) - 1) * g.Front_Swing_C,
           frontPosition - static_cast<double>(front));

  double windPosition = seconds / kWindKnotSeconds;
  auto knot = static_cast<int64_t>(std::floor(windPosition));
  auto gust = [&](int64_t k) { return g.Wind_Mean_kmh * (0.3 + 1.4 * Draw(3, k)); };
  double wind = gust(knot) + (gust(knot + 1) - gust(knot)) * (windPosition - static_cast<double>(knot));

  double daylight = 0;
  if (hour > kSunrise && hour < kSunset)
    daylight = std::sin(std::numbers::pi * (hour - kSunrise) / (kSunset - kSunrise));
  bool cloudy = Draw(1, day) < g.Cloudy_Share;
  double sun = g.Clear_Sun_pct * daylight * (cloudy ? kCloudySunShare : 1);

  return {g.Mean_C + spell + g.Daily_Swing_C / 2 * DailyShape(hour), wind, std::clamp(sun, 0.0, 100.0)};
}

}  // namespace kelvora
