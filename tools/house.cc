#include "tools/house.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <utility>
#include <vector>

namespace kelvora {
namespace {

constexpr double kJoulesPerKWh = 3.6e6;
constexpr double kMaxStepSeconds = 1;

std::string Trim(const std::string& text) {
  size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

struct NumberKey {
  const char* name;
  double* value;
  bool nonNegative;
};

std::vector<NumberKey> HouseKeys(HouseParameters& h) {
  return {{"Loss_W_per_K", &h.Loss_W_per_K, true},
          {"Air_kWh_per_K", &h.Air_kWh_per_K, true},
          {"Mass_kWh_per_K", &h.Mass_kWh_per_K, true},
          {"Coupling_W_per_K", &h.Coupling_W_per_K, true},
          {"Stage1_kW", &h.Stage1_kW, true},
          {"Stage2_kW", &h.Stage2_kW, true},
          {"HeatPump_kW", &h.HeatPump_kW, true},
          {"HeatPump_Min_Ext_C", &h.HeatPump_Min_Ext_C, false},
          {"Solar_W_per_pct", &h.Solar_W_per_pct, true},
          {"Wind_W_per_K_per_kmh", &h.Wind_W_per_K_per_kmh, true},
          {"Internal_W", &h.Internal_W, true},
          {"Sensor_Noise_C", &h.Sensor_Noise_C, true},
          {"Start_Interior_C", &h.Start_Interior_C, false}};
}

std::vector<NumberKey> GeneratorKeys(WeatherGenerator& g) {
  return {{"Mean_C", &g.Mean_C, false},
          {"Daily_Swing_C", &g.Daily_Swing_C, true},
          {"Front_Days", &g.Front_Days, true},
          {"Front_Swing_C", &g.Front_Swing_C, true},
          {"Wind_Mean_kmh", &g.Wind_Mean_kmh, true},
          {"Clear_Sun_pct", &g.Clear_Sun_pct, true},
          {"Cloudy_Share", &g.Cloudy_Share, true}};
}

// One "key=value" line of `section`; an empty result when it was taken.
std::string ApplyKey(const std::string& section, const std::string& key, const std::string& value,
                     const std::string& houseDirectory, HouseFile* file) {
  double number = 0;
  char* end = nullptr;
  number = std::strtod(value.c_str(), &end);
  bool numeric = !value.empty() && end == value.c_str() + value.size() && std::isfinite(number);
  std::vector<NumberKey> keys;
  if (section == "House") {
    keys = HouseKeys(file->house);
  } else {
    if (key == "File") {
      if (value.empty()) return "File wants the path of a weather CSV";
      std::filesystem::path csv(value);
      file->weatherFile = csv.is_absolute() ? value : (std::filesystem::path(houseDirectory) / csv).string();
      return "";
    }
    if (key == "Seed") {
      if (!numeric || number < 0 || number > 4294967295.0 || number != std::floor(number)) {
        return "Seed wants a whole number from 0 to 4294967295, not \"" + value + "\"";
      }
      file->generator.Seed = static_cast<uint32_t>(number);
      return "";
    }
    keys = GeneratorKeys(file->generator);
  }
  for (const NumberKey& k : keys) {
    if (key != k.name) continue;
    if (!numeric || (k.nonNegative && number < 0)) {
      return key + " wants " + (k.nonNegative ? "a number of at least 0" : "a number") + ", not \"" + value +
             "\"";
    }
    *k.value = number;
    return "";
  }
  return "unknown key " + key + " in [" + section + "]";
}

}  // namespace

bool ReadHouseFile(const std::string& path, HouseFile* file, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "the house file " + path + " cannot be read";
    return false;
  }
  HouseFile read;
  std::string directory = std::filesystem::path(path).parent_path().string();
  std::string section;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    std::string where = path + " line " + std::to_string(number) + ": ";
    line = Trim(line);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line.front() == '[') {
      section = line.back() == ']' ? line.substr(1, line.size() - 2) : "";
      if (section != "House" && section != "Weather") {
        *error = where + "unknown section " + line + " (there are [House] and [Weather])";
        return false;
      }
      continue;
    }
    size_t equals = line.find('=');
    if (equals == std::string::npos || section.empty()) {
      *error =
          where + (section.empty() ? "a key before [House] or [Weather]" : "no \"=\" in \"" + line + "\"");
      return false;
    }
    std::string why =
        ApplyKey(section, Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)), directory, &read);
    if (!why.empty()) {
      *error = where + why;
      return false;
    }
  }
  *file = std::move(read);
  return true;
}

bool MakeWeather(const HouseFile& file, std::optional<Weather>* weather, std::string* error) {
  if (file.weatherFile.empty()) {
    weather->emplace(file.generator);
    return true;
  }
  Weather read(file.generator);
  if (!Weather::ReadCsv(file.weatherFile, &read, error)) return false;
  *weather = std::move(read);
  return true;
}

ThermalHouse::ThermalHouse(const HouseParameters& parameters)
    : p_(parameters), air_(parameters.Start_Interior_C), mass_(parameters.Start_Interior_C) {
  // A house without capacity would jump to its balance at once; a small floor
  // keeps the integration meaningful.
  p_.Air_kWh_per_K = std::max(p_.Air_kWh_per_K, 0.01);
  p_.Mass_kWh_per_K = std::max(p_.Mass_kWh_per_K, 0.01);
}

double ThermalHouse::HeatingWatts(uint8_t outputByte, double exteriorC) const {
  double watts = 0;
  if (outputByte & kStage1Bit) watts += p_.Stage1_kW * 1000;
  if (outputByte & kStage2Bit) watts += p_.Stage2_kW * 1000;
  if ((outputByte & kHeatPumpBit) && exteriorC >= p_.HeatPump_Min_Ext_C) watts += p_.HeatPump_kW * 1000;
  return watts;
}

void ThermalHouse::Advance(double seconds, double heatingWatts, const WeatherSample& weather) {
  while (seconds > 0) {
    double step = std::min(seconds, kMaxStepSeconds);
    Step(step, heatingWatts, weather);
    seconds -= step;
  }
}

void ThermalHouse::Step(double seconds, double heatingWatts, const WeatherSample& weather) {
  double loss = p_.Loss_W_per_K + p_.Wind_W_per_K_per_kmh * weather.windKmh;
  double gains = heatingWatts + p_.Internal_W + p_.Solar_W_per_pct * weather.sunPct;
  double airCapacity = p_.Air_kWh_per_K * kJoulesPerKWh;
  double massCapacity = p_.Mass_kWh_per_K * kJoulesPerKWh;
  auto airRate = [&](double air, double mass) {
    return (gains - loss * (air - weather.exteriorC) - p_.Coupling_W_per_K * (air - mass)) / airCapacity;
  };
  auto massRate = [&](double air, double mass) { return p_.Coupling_W_per_K * (air - mass) / massCapacity; };
  // Heun's method: second order, so a one-second step stays far inside the
  // house's own time constants (minutes for the air, days for the mass).
  double a1 = airRate(air_, mass_), m1 = massRate(air_, mass_);
  double airGuess = air_ + seconds * a1, massGuess = mass_ + seconds * m1;
  air_ += seconds * (a1 + airRate(airGuess, massGuess)) / 2;
  mass_ += seconds * (m1 + massRate(airGuess, massGuess)) / 2;
}

}  // namespace kelvora
