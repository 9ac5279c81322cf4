// The physical test house of kelvora-sim: a two-node thermal model (the air
// and furnishings, and the building's mass) heated by the relays of the
// card's output byte and cooled by the weather, and the house file that
// describes it.
//
// House file: an INI file. [House] takes Loss_W_per_K, Air_kWh_per_K,
// Mass_kWh_per_K, Coupling_W_per_K, Stage1_kW, Stage2_kW, HeatPump_kW,
// HeatPump_Min_Ext_C, Solar_W_per_pct, Wind_W_per_K_per_kmh, Internal_W,
// Sensor_Noise_C and Start_Interior_C; [Weather] takes File (a CSV, relative
// to the house file) or the generator's keys (see tools/weather.h). Every key
// may be left out; an unknown one is an error.
#ifndef KELVORA_TOOLS_HOUSE_H_
#define KELVORA_TOOLS_HOUSE_H_

#include <cstdint>
#include <optional>
#include <string>

#include "tools/weather.h"

namespace kelvora {

// Defaults: a middling detached house of the 1980s.
struct HouseParameters {
  double Loss_W_per_K = 220;      // envelope and ventilation, from the air to outside
  double Air_kWh_per_K = 0.6;     // air and furnishings
  double Mass_kWh_per_K = 8;      // walls, floors and ceilings
  double Coupling_W_per_K = 900;  // between the air and the mass
  double Stage1_kW = 9;
  double Stage2_kW = 5;
  double HeatPump_kW = 0;
  double HeatPump_Min_Ext_C = -7;  // the heat pump gives nothing below this
  double Solar_W_per_pct = 25;
  double Wind_W_per_K_per_kmh = 1.5;
  double Internal_W = 300;
  double Sensor_Noise_C = 0.03;  // standard deviation of each sensor reading
  double Start_Interior_C = 19;
};

struct HouseFile {
  HouseParameters house;
  WeatherGenerator generator;
  std::string weatherFile;  // when set, the weather comes from this CSV instead
};

// Reads a house file; false with `error` naming the line and key on a bad one.
bool ReadHouseFile(const std::string& path, HouseFile* file, std::string* error);
// The weather the house file asks for; false with `error` set when its CSV is bad.
bool MakeWeather(const HouseFile& file, std::optional<Weather>* weather, std::string* error);

// The relay bits of the card's output byte that bring heat.
inline constexpr uint8_t kStage1Bit = 4, kStage2Bit = 8, kHeatPumpBit = 16;

class ThermalHouse {
 public:
  explicit ThermalHouse(const HouseParameters& parameters);

  // Heat, W, that the relays in `outputByte` deliver at `exteriorC`.
  double HeatingWatts(uint8_t outputByte, double exteriorC) const;
  // Moves the house on by `seconds` with `heatingWatts` in and `weather`
  // outside, in steps of at most one second.
  void Advance(double seconds, double heatingWatts, const WeatherSample& weather);

  double Air() const { return air_; }
  double Mass() const { return mass_; }

 private:
  void Step(double seconds, double heatingWatts, const WeatherSample& weather);

  HouseParameters p_;
  double air_;
  double mass_;
};

}  // namespace kelvora

#endif  // KELVORA_TOOLS_HOUSE_H_
