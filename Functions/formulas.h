// Pure formulas shared by the whole program: rounding, clock seconds, the three
// date forms, unit conversions, wind chill and the heating-curve formulas. Each
// computes in extended precision and rounds to single precision once, at the end.
#ifndef KELVORA_FUNCTIONS_FORMULAS_H_
#define KELVORA_FUNCTIONS_FORMULAS_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "Functions/export.h"

namespace kelvora {

// Unit flags of C2fF2c and K2mM2k: the program holds °C and km/h internally.
inline constexpr uint8_t kCelsius = 0;
inline constexpr uint8_t kFahrenheit = 1;
inline constexpr uint8_t kKmPerHour = 0;
inline constexpr uint8_t kMilesPerHour = 1;

// `value` rounded to `places` decimals (negative places count as 0), halves
// towards plus infinity, judged on the stored single: Rnd(1.005f, 2) == 1.00f.
KELVORA_EXPORT float Rnd(float value, int8_t places);

// Seconds since midnight of a time of day.
KELVORA_EXPORT float TimeSec(int hours, int minutes, int seconds);
// The same from a clock text "hh:mm:ss"; a missing or non-numeric part counts 0.
KELVORA_EXPORT float TimeSec(std::string_view clockText);

// System date "mm-dd-yyyy" to the short date "yy/mm/dd". A shorter text gives
// whatever of its parts exist: "" gives "//".
KELVORA_EXPORT std::string F8Date(std::string_view systemDate);

// Approximate day count of a short date "yy/mm/dd" (years of 365.25 days,
// months of 30.4375), halves to even; only differences between two are meaningful.
// A missing or non-numeric part counts 0.
KELVORA_EXPORT uint16_t NumDate(std::string_view shortDate);
// Day of the heating season of a short date, 1 July being day 1; halves to even.
KELVORA_EXPORT uint16_t Julian07(std::string_view shortDate);

// Temperature between kCelsius and kFahrenheit; equal flags return `value` as is.
KELVORA_EXPORT float C2fF2c(float value, uint8_t fromUnit, uint8_t toUnit);
// Speed between kKmPerHour and kMilesPerHour; equal flags return `value` as is.
KELVORA_EXPORT float K2mM2k(float value, uint8_t fromUnit, uint8_t toUnit);

// Felt temperature (°C) for `temperature` °C and `windSpeed` km/h; below 5 km/h
// the temperature itself.
KELVORA_EXPORT float Windchill(float temperature, float windSpeed);

// Fraction of the approach to a ceiling after x time constants: 1 - 2.71828^-x.
KELVORA_EXPORT float Pcv(float x);
// Time constants needed to reach the fraction x: -ln(1 - x); +inf for x == 1.
KELVORA_EXPORT float Kt(float x);

// Projected heating time for a temperature `rise` under heating-curve `model`
// (0 to 3) with its parameters a and b; any other model gives 0.
KELVORA_EXPORT float HeatingProject(int8_t model, float rise, float a, float b);

}  // namespace kelvora

#endif  // KELVORA_FUNCTIONS_FORMULAS_H_
