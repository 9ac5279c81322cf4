// The user's preferences and the installation constants held in the settings
// file "Settings.ini": their initial values, loading them key by key with the
// current value as default, and writing the keys the program writes back.
#ifndef KELVORA_MONITOR_CORE_SETTINGS_H_
#define KELVORA_MONITOR_CORE_SETTINGS_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/private_profile.h"

namespace kelvora {

// One field per key, named as the key. The initial values are the values
// before the first load; every load starts from the current values.
struct Settings {
  // [User]
  std::string Language;    // "Français" selects French at the next load
  uint8_t tempUnits = 1;   // key Temp_Units: the display unit flag, 0 Celsius, 1 Fahrenheit
  uint8_t speedUnits = 1;  // key Speed_Units: the display unit flag, 0 km/h, 1 mph
  float KWh_Cost = 0;
  float Int_Adjust = 0;
  uint8_t Int_Adjust_Rel = 0;
  float Int_Adj_Rel_To = 0;
  float Ext_Adjust = 0;
  uint8_t Ext_Adjust_Rel = 0;
  float Ext_Adj_Rel_To = 0;
  float SUN_Adjust = 0;
  uint8_t SUN_Adj_Straight = 0;
  float SUN_Adj_Curve = 0;
  float WIND_Adjust = 1.0f;
  uint8_t Auto_Fan = 0;
  uint8_t Cont_Fan = 0;
  uint8_t Fan_Speed = 0;
  uint16_t Auto_HP = 0;
  uint16_t HP_Cont = 0;
  uint8_t SUNNY_Econo_Mode = 0;
  float SUN_Floor = 50;
  float Ext_Temp_Floor = 10.0f;
  float Temp_SetBack = 1.0f;
  uint8_t COLD_Mode = 0;
  float WIND_Floor = 30.0f;
  float Ext_Temp_Ceil = -20.0f;
  float Temp_SetForward = 1.0f;

  // [System]; Sim_Mode belongs to the card state and is passed on its own.
  int16_t Inert_Deg = 3;
  uint16_t Day_Range = 45;
  uint16_t Year_Range = 2;
  float Temp_Dwell = 0.04f;
  float HP_SetForward = 0.15f;
  float Wind_Start = 0;
  float Min_Sun_Strengh = 0;
  float Sun_Sensor_Ceil = 0;

  // [Demo]
  float D_Int_Temp = 19.5f;
  float D_Ext_Temp = -15.0f;
  float D_Wind = 20.0f;

  // [Config]; ISA_Port is read by the card detection (ReadIsaPort).
  uint8_t HT = 0;
  uint8_t HP = 0;
  uint8_t AC = 0;

  // Not a key: 0 English, 1 French, set by a load from Language.
  uint8_t languageFrench = 0;

  bool operator==(const Settings&) const = default;
};

// Reads every key of [User], [System], [Demo] and [Config] from the file at
// `path`, each with its field's current value as default, then corrects what
// cannot be used (WIND_Adjust <= 0 becomes 1, Temp_Dwell and HP_SetForward
// are limited to -1..1, an HP other than 1 clears HP, Auto_HP and HP_Cont).
// A missing file or key leaves the field as it was, provided its value's text
// fits the key's read width (the default is cut like a value in the file).
// A float key whose number is beyond a single also leaves the field as it
// was; integer keys are rounded (halves to even) and clamped to their type.
// [System] Sim_Mode is read
// with `simulationMode` as default and stored back as 0 or 1.
void LoadSettings(const PrivateProfile& profile, std::string_view path, Settings& settings,
                  uint8_t& simulationMode);

// HP_SetForward below Temp_Dwell is raised to Temp_Dwell.
void RaiseHeatPumpSetForward(Settings& settings);

// [Config] ISA_Port ("&h" hexadecimal allowed), `current` when missing.
uint16_t ReadIsaPort(const PrivateProfile& profile, std::string_view path, uint16_t current);

// Writes the [User] keys that the Settings dialog saves, in one rewrite of
// the file. Failure is silent, as for every write of the settings file.
void SaveUserSettings(PrivateProfile& profile, std::string_view path, const Settings& settings);

// Writes [System] Sun_Sensor_Ceil as the number followed by "%".
void WriteSunSensorCeil(PrivateProfile& profile, std::string_view path, float ceil);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_CORE_SETTINGS_H_
