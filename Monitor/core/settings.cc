#include "Monitor/core/settings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <variant>
#include <vector>

#include "Functions/formulas.h"
#include "Monitor/core/text_number.h"

namespace kelvora {
namespace {

using Field = std::variant<float Settings::*, uint8_t Settings::*, uint16_t Settings::*, int16_t Settings::*>;

// A numeric key and the width it is read with.
struct NumberKey {
  std::string_view section;
  std::string_view key;
  size_t chars;
  Field field;
  std::string_view suffix = {};  // written after the default text
};

// Every numeric key, in reading order; Language and Sim_Mode are read apart.
const NumberKey kUserKeys[] = {
    {"User", "Temp_Units", 1, &Settings::tempUnits},
    {"User", "Speed_Units", 1, &Settings::speedUnits},
    {"User", "KWh_Cost", 4, &Settings::KWh_Cost},
    {"User", "Int_Adjust", 5, &Settings::Int_Adjust},
    {"User", "Int_Adjust_Rel", 1, &Settings::Int_Adjust_Rel},
    {"User", "Int_Adj_Rel_To", 5, &Settings::Int_Adj_Rel_To},
    {"User", "Ext_Adjust", 5, &Settings::Ext_Adjust},
    {"User", "Ext_Adjust_Rel", 1, &Settings::Ext_Adjust_Rel},
    {"User", "Ext_Adj_Rel_To", 5, &Settings::Ext_Adj_Rel_To},
    {"User", "SUN_Adjust", 5, &Settings::SUN_Adjust},
    {"User", "SUN_Adj_Straight", 1, &Settings::SUN_Adj_Straight},
    {"User", "SUN_Adj_Curve", 5, &Settings::SUN_Adj_Curve},
    {"User", "WIND_Adjust", 5, &Settings::WIND_Adjust},
    {"User", "Auto_Fan", 1, &Settings::Auto_Fan},
    {"User", "Cont_Fan", 1, &Settings::Cont_Fan},
    {"User", "Fan_Speed", 1, &Settings::Fan_Speed},
    {"User", "Auto_HP", 1, &Settings::Auto_HP},
    {"User", "HP_Cont", 19, &Settings::HP_Cont},
    {"User", "SUNNY_Econo_Mode", 1, &Settings::SUNNY_Econo_Mode},
    {"User", "SUN_Floor", 5, &Settings::SUN_Floor, "%"},
    {"User", "Ext_Temp_Floor", 5, &Settings::Ext_Temp_Floor},
    {"User", "Temp_SetBack", 5, &Settings::Temp_SetBack},
    {"User", "COLD_Mode", 1, &Settings::COLD_Mode},
    {"User", "WIND_Floor", 5, &Settings::WIND_Floor},
    {"User", "Ext_Temp_Ceil", 5, &Settings::Ext_Temp_Ceil},
    {"User", "Temp_SetForward", 5, &Settings::Temp_SetForward},
};

const NumberKey kOtherKeys[] = {
    {"System", "Inert_Deg", 19, &Settings::Inert_Deg},
    {"System", "Day_Range", 19, &Settings::Day_Range},
    {"System", "Year_Range", 19, &Settings::Year_Range},
    {"System", "Temp_Dwell", 19, &Settings::Temp_Dwell},
    {"System", "HP_SetForward", 19, &Settings::HP_SetForward},
    {"System", "Wind_Start", 5, &Settings::Wind_Start},
    {"System", "Min_Sun_Strengh", 19, &Settings::Min_Sun_Strengh},
    {"System", "Sun_Sensor_Ceil", 19, &Settings::Sun_Sensor_Ceil},
    {"Demo", "D_Int_Temp", 9, &Settings::D_Int_Temp},
    {"Demo", "D_Ext_Temp", 9, &Settings::D_Ext_Temp},
    {"Demo", "D_Wind", 9, &Settings::D_Wind},
    {"Config", "HT", 4, &Settings::HT},
    {"Config", "HP", 4, &Settings::HP},
    {"Config", "AC", 4, &Settings::AC},
};

// Language is held in a text of 10 including its terminating zero.
constexpr size_t kLanguageCapacity = 9;
constexpr size_t kLanguageChars = 19;
constexpr std::string_view kFrenchWindows1252 =
    "Fran\xE7"
    "ais";
constexpr std::string_view kFrenchUtf8 =
    "Fran\xC3\xA7"
    "ais";

template <typename T>
std::string DigitsText(T value) {
  char buffer[24];
  return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

std::string DefaultText(float value) { return ShortestText(value); }
template <typename T>
std::string DefaultText(T value) {
  return DigitsText(value);
}

// Nearest whole number, halves to the even neighbour.
double RoundHalfEven(double value) {
  double floor = std::floor(value);
  double fraction = value - floor;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(floor, 2.0) != 0)) return floor + 1;
  return floor;
}

// A value that does not fit the key's type would wrap; the nearest end of
// the range is the nearest meaning.
template <typename T>
void Convert(double number, T& field) {
  double rounded = RoundHalfEven(number);
  if (rounded <= std::numeric_limits<T>::min()) {
    field = std::numeric_limits<T>::min();
  } else if (rounded >= std::numeric_limits<T>::max()) {
    field = std::numeric_limits<T>::max();
  } else {
    field = static_cast<T>(rounded);
  }
}

// A number beyond a single would enter as an infinity; the field keeps its value.
void Convert(double number, float& field) {
  if (std::isfinite(number) && std::fabs(number) <= std::numeric_limits<float>::max()) {
    field = static_cast<float>(number);
  }
}

void LoadKey(const PrivateProfile& profile, std::string_view path, const NumberKey& key, Settings& settings) {
  std::visit(
      [&](auto member) {
        auto& field = settings.*member;
        std::string defaultText = DefaultText(field) + std::string(key.suffix);
        Convert(ReadNumber(profile.Read(key.section, key.key, defaultText, key.chars, path)), field);
      },
      key.field);
}

void LoadLanguage(const PrivateProfile& profile, std::string_view path, Settings& settings) {
  std::string text = profile.Read("User", "Language", settings.Language, kLanguageChars, path);
  text.resize(std::min(text.size(), kLanguageCapacity));
  while (!text.empty() && text.back() == ' ') text.pop_back();
  settings.Language = text;
  // Windows editors save the file in Windows-1252, Linux editors in UTF-8.
  if (text == kFrenchWindows1252 || text == kFrenchUtf8) settings.languageFrench = 1;
}

void LoadSimulationMode(const PrivateProfile& profile, std::string_view path, uint8_t& simulationMode) {
  uint8_t value = simulationMode;
  Convert(ReadNumber(profile.Read("System", "Sim_Mode", DigitsText(simulationMode), 1, path)), value);
  simulationMode = value != 0 ? 1 : 0;
}

void Correct(Settings& settings) {
  if (settings.WIND_Adjust <= 0) settings.WIND_Adjust = 1.0f;
  // Only the magnitude counts, and it is limited either way.
  settings.Temp_Dwell = std::clamp(settings.Temp_Dwell, -1.0f, 1.0f);
  settings.HP_SetForward = std::clamp(settings.HP_SetForward, -1.0f, 1.0f);
  if (settings.HP != 1) {
    settings.HP = 0;
    settings.Auto_HP = 0;
    settings.HP_Cont = 0;
  }
}

// The number forms of the saved [User] keys.
enum class Form { kDigits, kSevenDigits, kPercent, kTwoDecimals, kOneDecimal };

struct SavedKey {
  std::string_view key;
  Field field;
  Form form;
};

// In the order the Settings dialog has always saved them; Language comes first.
const SavedKey kSavedUserKeys[] = {
    {"KWh_Cost", &Settings::KWh_Cost, Form::kSevenDigits},
    {"Temp_Units", &Settings::tempUnits, Form::kDigits},
    {"Speed_Units", &Settings::speedUnits, Form::kDigits},
    {"Int_Adjust", &Settings::Int_Adjust, Form::kTwoDecimals},
    {"Int_Adjust_Rel", &Settings::Int_Adjust_Rel, Form::kDigits},
    {"Int_Adj_Rel_To", &Settings::Int_Adj_Rel_To, Form::kTwoDecimals},
    {"Ext_Adjust", &Settings::Ext_Adjust, Form::kTwoDecimals},
    {"Ext_Adjust_Rel", &Settings::Ext_Adjust_Rel, Form::kDigits},
    {"Ext_Adj_Rel_To", &Settings::Ext_Adj_Rel_To, Form::kTwoDecimals},
    {"SUN_Adjust", &Settings::SUN_Adjust, Form::kTwoDecimals},
    {"SUN_Adj_Straight", &Settings::SUN_Adj_Straight, Form::kDigits},
    {"SUN_Adj_Curve", &Settings::SUN_Adj_Curve, Form::kTwoDecimals},
    {"Auto_HP", &Settings::Auto_HP, Form::kDigits},
    {"HP_Cont", &Settings::HP_Cont, Form::kDigits},
    {"Auto_Fan", &Settings::Auto_Fan, Form::kDigits},
    {"Cont_Fan", &Settings::Cont_Fan, Form::kDigits},
    {"Fan_Speed", &Settings::Fan_Speed, Form::kDigits},
    {"SUNNY_Econo_Mode", &Settings::SUNNY_Econo_Mode, Form::kDigits},
    {"SUN_Floor", &Settings::SUN_Floor, Form::kPercent},
    {"Ext_Temp_Floor", &Settings::Ext_Temp_Floor, Form::kTwoDecimals},
    {"Temp_SetBack", &Settings::Temp_SetBack, Form::kTwoDecimals},
    {"COLD_Mode", &Settings::COLD_Mode, Form::kDigits},
    {"WIND_Floor", &Settings::WIND_Floor, Form::kOneDecimal},
    {"Ext_Temp_Ceil", &Settings::Ext_Temp_Ceil, Form::kTwoDecimals},
    {"Temp_SetForward", &Settings::Temp_SetForward, Form::kTwoDecimals},
};

std::string SavedText(float value, Form form) {
  switch (form) {
    case Form::kPercent:
      return SevenDigitText(value) + "%";
    case Form::kTwoDecimals:
      return SevenDigitText(Rnd(value, 2));
    case Form::kOneDecimal:
      return SevenDigitText(Rnd(value, 1));
    case Form::kDigits:
    case Form::kSevenDigits:
      break;
  }
  return SevenDigitText(value);
}

template <typename T>
std::string SavedText(T value, Form) {
  return DigitsText(value);
}

}  // namespace

void LoadSettings(const PrivateProfile& profile, std::string_view path, Settings& settings,
                  uint8_t& simulationMode) {
  LoadLanguage(profile, path, settings);
  for (const NumberKey& key : kUserKeys) LoadKey(profile, path, key, settings);
  LoadSimulationMode(profile, path, simulationMode);
  for (const NumberKey& key : kOtherKeys) LoadKey(profile, path, key, settings);
  Correct(settings);
}

void RaiseHeatPumpSetForward(Settings& settings) {
  if (settings.HP_SetForward < settings.Temp_Dwell) settings.HP_SetForward = settings.Temp_Dwell;
}

uint16_t ReadIsaPort(const PrivateProfile& profile, std::string_view path, uint16_t current) {
  uint16_t port = current;
  Convert(ReadNumber(profile.Read("Config", "ISA_Port", DigitsText(current), 7, path)), port);
  return port;
}

void SaveUserSettings(PrivateProfile& profile, std::string_view path, const Settings& settings) {
  std::vector<PrivateProfile::Entry> entries;
  entries.emplace_back("Language", settings.Language);
  for (const SavedKey& key : kSavedUserKeys) {
    std::visit([&](auto member) { entries.emplace_back(key.key, SavedText(settings.*member, key.form)); },
               key.field);
  }
  profile.WriteKeys("User", entries, path);
}

void WriteSunSensorCeil(PrivateProfile& profile, std::string_view path, float ceil) {
  profile.Write("System", "Sun_Sensor_Ceil", SevenDigitText(ceil) + "%", path);
}

}  // namespace kelvora
