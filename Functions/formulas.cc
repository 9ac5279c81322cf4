#include "Functions/formulas.h"

#include <algorithm>
#include <cmath>

namespace kelvora {
namespace {

// Characters [pos, pos + count) of `text`, or as many of them as exist.
std::string_view Mid(std::string_view text, size_t pos, size_t count) {
  if (pos >= text.size()) return {};
  return text.substr(pos, count);
}

// The last `count` characters of `text`, or all of a shorter text.
std::string_view Right(std::string_view text, size_t count) {
  return text.substr(text.size() - std::min(count, text.size()));
}

// The number a date or clock part reads as: its leading digits after any
// blanks. A part without leading digits reads 0, so no part is ever negative.
int PartValue(std::string_view part) {
  size_t i = 0;
  while (i < part.size() && part[i] == ' ') ++i;
  int value = 0;
  for (; i < part.size() && part[i] >= '0' && part[i] <= '9'; ++i) value = value * 10 + (part[i] - '0');
  return value;
}

// Round to the nearest integer, halves to the even neighbour. Written out
// rather than left to the floating-point environment's rounding mode.
long double RoundHalfEven(long double x) {
  const long double below = std::floor(x);
  const long double fraction = x - below;
  if (fraction > 0.5L) return below + 1;
  if (fraction < 0.5L) return below;
  return std::fmod(below, 2.0L) == 0 ? below : below + 1;
}

// 10^places; exact in long double up to 10^27, far beyond any scale in use.
long double PowerOfTen(int places) {
  long double power = 1;
  for (int i = 0; i < places; ++i) power *= 10;
  return power;
}

long double KtExtended(long double x) { return -std::log(1.0L - x); }

// Days per month and per year of the day-count approximation.
constexpr long double kDaysPerMonth = 30.4375L;
constexpr long double kDaysPerYear = 365.25L;

}  // namespace

float Rnd(float value, int8_t places) {
  // Beyond 9 places the scale would not fit the 32-bit integer of the classic
  // formula; the exact power of ten keeps the result meaningful instead.
  const long double scale = PowerOfTen(std::max<int>(places, 0));
  return static_cast<float>(std::floor(static_cast<long double>(value) * scale + 0.5L) / scale);
}

float TimeSec(int hours, int minutes, int seconds) {
  return static_cast<float>(hours * 3600.0L + minutes * 60.0L + seconds);
}

float TimeSec(std::string_view clockText) {
  return TimeSec(PartValue(Mid(clockText, 0, 2)), PartValue(Mid(clockText, 3, 2)),
                 PartValue(Mid(clockText, 6, 2)));
}

std::string F8Date(std::string_view systemDate) {
  std::string shortDate(Right(systemDate, 2));
  shortDate += '/';
  shortDate += Mid(systemDate, 0, 2);
  shortDate += '/';
  shortDate += Mid(systemDate, 3, 2);
  return shortDate;
}

uint16_t NumDate(std::string_view shortDate) {
  const int year = PartValue(Mid(shortDate, 0, 2));
  const int month = PartValue(Mid(shortDate, 3, 2));
  const int day = PartValue(Right(shortDate, 2));
  // At most 99 * 365.25 + 99 * 30.4375 + 99 = 39272: always fits 16 bits.
  return static_cast<uint16_t>(RoundHalfEven(year * kDaysPerYear + month * kDaysPerMonth + day));
}

uint16_t Julian07(std::string_view shortDate) {
  const int month = PartValue(Mid(shortDate, 3, 2));
  const int day = PartValue(Right(shortDate, 2));
  const int monthsSinceJuly = (month + 5) % 12;
  return static_cast<uint16_t>(RoundHalfEven(monthsSinceJuly * kDaysPerMonth + day));
}

float C2fF2c(float value, uint8_t fromUnit, uint8_t toUnit) {
  if (fromUnit == toUnit) return value;
  if (toUnit == kCelsius) {
    // The offset is -160/9 held as a single, so 32 °F comes out as -8.5e-7 °C,
    // not 0; stored values and the learned data depend on that residue.
    constexpr float kOffset = -160.0f / 9.0f;
    return static_cast<float>(value * 0.5555555555555556L + kOffset);
  }
  return static_cast<float>(value * 1.8L + 32);
}

float K2mM2k(float value, uint8_t fromUnit, uint8_t toUnit) {
  constexpr long double kMilesPerKm = 0.621371L;
  if (fromUnit == toUnit) return value;
  if (toUnit == kKmPerHour) return static_cast<float>(value / kMilesPerKm);
  return static_cast<float>(value * kMilesPerKm);
}

float Windchill(float temperature, float windSpeed) {
  // Written so that a NaN speed also leaves the temperature as it is.
  if (!(windSpeed >= 5.0f)) return temperature;
  // Double carries every digit a single result can show; long double's pow
  // would cost the control pass several times as much.
  const double t = temperature;
  const double power = std::pow(std::fabs(static_cast<double>(windSpeed)), 0.16);
  return static_cast<float>(13.12 + 0.6215 * t - 11.37 * power + 0.3965 * t * power);
}

float Pcv(float x) {
  // The base is the single 2.71828, not e: the learned curves were fitted with it.
  constexpr float kBase = 2.71828f;
  return static_cast<float>(1.0 - std::pow(static_cast<double>(kBase), -static_cast<double>(x)));
}

float Kt(float x) { return static_cast<float>(KtExtended(x)); }

float HeatingProject(int8_t model, float rise, float a, float b) {
  const long double r = rise;
  switch (model) {
    case 0:
      return static_cast<float>(r * a * (r + b));
    case 1:
      return static_cast<float>(a * r * r + b * r);
    case 2:
      return static_cast<float>(r * a / (b - r));
    case 3: {
      // The fraction reaches the curve as a single, as it does through Kt.
      const float fraction = static_cast<float>(r / a);
      return static_cast<float>(KtExtended(fraction) * b);
    }
    default:
      return 0;
  }
}

}  // namespace kelvora
