#include "Monitor/ui/settings_dialog.h"

#include <cmath>
#include <string_view>
#include <variant>

#include "Functions/formulas.h"
#include "Functions/masks.h"
#include "Monitor/control/relays.h"
#include "Monitor/core/settings.h"
#include "Monitor/core/text_number.h"
#include "Monitor/learning/learning.h"
#include "Monitor/ui/control_ids.h"
#include "Monitor/ui/dialog_support.h"

namespace kelvora {

namespace {

constexpr uint8_t kProgramFieldsFlag = 1;
constexpr const char* kLanguage = "English";
// Every numeric field is read from its first 7 characters, the cost from 4.
constexpr size_t kFieldChars = 7;
constexpr size_t kCostChars = 4;

// How a field's number relates to the stored one.
enum class Kind { kNumber, kDifference, kAbsolute, kSpeed, kPercent, kExponent };

// One numeric field: its control, the caption that names it in a refusal,
// the setting, its kind and display mask, and the range it must lie in,
// in the internal units (°C, km/h).
struct NumberField {
  int id;
  const char* caption;
  float Settings::*setting;
  Kind kind;
  bool signedMask;
  float low, high;
};

// The "Relative to:" fields cannot be edited and nothing uses them: any
// number kept in the file goes back as it came.
constexpr float kAny = 1e5f;

// In the order `apply` reads them.
constexpr NumberField kNumberFields[] = {
    {settings_id::kKwhCost, "KW/h Cost", &Settings::KWh_Cost, Kind::kNumber, false, 0, 99},
    {settings_id::kIntAdjust, "Int. Temp Adjust.", &Settings::Int_Adjust, Kind::kDifference, true, -10, 10},
    {settings_id::kIntRelativeTo, "Int. Temp Relative to", &Settings::Int_Adj_Rel_To, Kind::kAbsolute, false,
     -kAny, kAny},
    {settings_id::kExtAdjust, "Ext. Temp Adjust.", &Settings::Ext_Adjust, Kind::kDifference, true, -10, 10},
    {settings_id::kExtRelativeTo, "Ext. Temp Relative to", &Settings::Ext_Adj_Rel_To, Kind::kAbsolute, true,
     -kAny, kAny},
    {settings_id::kSunAdjust, "Sunlight Adjust.", &Settings::SUN_Adjust, Kind::kDifference, true, -20, 20},
    {settings_id::kSunExponent, "Exponential", &Settings::SUN_Adj_Curve, Kind::kExponent, false, 0, 10},
    {settings_id::kSunFloor, "SUN Floor (%)", &Settings::SUN_Floor, Kind::kPercent, false, 0, 100},
    {settings_id::kExtTempFloor, "Ext.Temp Floor", &Settings::Ext_Temp_Floor, Kind::kAbsolute, true, -40, 40},
    {settings_id::kTempSetBack, "Temp SetBack", &Settings::Temp_SetBack, Kind::kDifference, false, 0, 10},
    {settings_id::kWindFloor, "WIND Speed", &Settings::WIND_Floor, Kind::kSpeed, false, 0, 150},
    {settings_id::kExtTempCeil, "Ext.Temp Ceil", &Settings::Ext_Temp_Ceil, Kind::kAbsolute, true, -50, 20},
    {settings_id::kTempSetForward, "Temp SetForward", &Settings::Temp_SetForward, Kind::kDifference, false, 0,
     10},
};

struct Units {
  uint8_t temp, speed;
};

Units UnitsOf(const Settings& s) {
  return {static_cast<uint8_t>(s.tempUnits != 0 ? 1 : 0), static_cast<uint8_t>(s.speedUnits != 0 ? 1 : 0)};
}

// Stored value -> the number the field shows.
float ToDisplay(const NumberField& field, float value, Units units) {
  switch (field.kind) {
    case Kind::kDifference:
      return C2fF2c(value, kCelsius, units.temp) - 32.0f * units.temp;
    case Kind::kAbsolute:
      return C2fF2c(value, kCelsius, units.temp);
    case Kind::kSpeed:
      return K2mM2k(value, kKmPerHour, units.speed);
    default:
      return value;
  }
}

// The number a field holds -> the stored value.
float FromDisplay(const NumberField& field, float shown, Units units) {
  switch (field.kind) {
    case Kind::kDifference:
      return C2fF2c(shown + 32.0f * units.temp, units.temp, kCelsius);
    case Kind::kAbsolute:
      return C2fF2c(shown, units.temp, kCelsius);
    case Kind::kSpeed:
      return K2mM2k(shown, units.speed, kKmPerHour);
    default:
      return shown;
  }
}

std::string FieldText(const RunState& state, const NumberField& field) {
  Units units = UnitsOf(state.settings);
  float value = state.settings.*field.setting;
  float shown = ToDisplay(field, value, units);
  const ConstantTexts& t = state.texts;
  switch (field.kind) {
    case Kind::kNumber:
      return Using("#.##", shown);
    case Kind::kExponent:
      return "^  " + ShortestText(shown) + "   ";
    case Kind::kPercent:
      return ShortestText(shown) + "%";
    case Kind::kSpeed:
      return Using(t.windMask, shown);
    default:
      return Using(field.signedMask ? t.signedTempMask[units.temp] : t.tempMask[units.temp], shown);
  }
}

// Whether a number starts `text`, as the number reading finds one.
bool StartsWithNumber(std::string_view text) {
  size_t i = text.find_first_not_of(" \t");
  if (i == std::string_view::npos) return false;
  if (text[i] == '+' || text[i] == '-') ++i;
  if (i < text.size() && text[i] == '.') ++i;
  return i < text.size() && text[i] >= '0' && text[i] <= '9';
}

std::string UnitText(const NumberField& field, Units units) {
  switch (field.kind) {
    case Kind::kDifference:
    case Kind::kAbsolute:
      return units.temp != 0 ? "\xB0"
                               "F"
                             : "\xB0"
                               "C";
    case Kind::kSpeed:
      return units.speed != 0 ? " Mi/h" : " Km/h";
    case Kind::kPercent:
      return "%";
    default:
      return "";
  }
}

MessageBoxRequest RangeBox(const NumberField& field, Units units) {
  auto bound = [&](float value) {
    return SevenDigitText(Rnd(ToDisplay(field, value, units), field.kind == Kind::kSpeed ? 0 : 2)) +
           UnitText(field, units);
  };
  std::string text = std::string(field.caption) + " Must be a Number between " + bound(field.low) + " and " +
                     bound(field.high);
  if (field.kind == Kind::kNumber) text += " of at most 4 Characters (like 0.12)";
  return ErrorBox(text, "NOT a VALID NUMBER");
}

std::string TextOf(const SettingsForm& form, int id) {
  auto it = form.texts.find(id);
  return it == form.texts.end() ? std::string() : it->second;
}

// The stored value of a field, or the box that refuses it.
std::variant<float, MessageBoxRequest> ReadField(const SettingsForm& form, const NumberField& field,
                                                 Units units) {
  std::string text = TextOf(form, field.id).substr(0, kFieldChars);
  if (field.kind == Kind::kExponent && text.find('^') != std::string::npos)
    text = text.substr(text.find('^') + 1);
  if (!StartsWithNumber(text)) return RangeBox(field, units);
  double number = ReadNumber(text);
  if (field.kind == Kind::kNumber) {
    // The settings file gives the cost 4 characters: refuse what they cut.
    std::string_view trimmed = WithoutLeadingBlanks(text);
    if (ReadNumber(trimmed.substr(0, kCostChars)) != number) return RangeBox(field, units);
  }
  if (!std::isfinite(number) || std::fabs(number) > 1e6) return RangeBox(field, units);
  float value = FromDisplay(field, static_cast<float>(number), units);
  float slack = field.kind == Kind::kSpeed ? 0.05f : 0.005f;
  if (value < field.low - slack || value > field.high + slack) return RangeBox(field, units);
  return value;
}

std::string FormFingerprint(const SettingsForm& form) {
  std::string bytes;
  for (const auto& [id, text] : form.texts) bytes += std::to_string(id) + "=" + text + "\n";
  for (int id : form.ticked) bytes += std::to_string(id) + ";";
  return Fingerprint(bytes);
}

bool Ticked(const SettingsForm& form, int id) { return form.ticked.count(id) != 0; }

void Tick(SettingsForm& form, bool on, int onId, int offId) { form.ticked.insert(on ? onId : offId); }

// Steps 2 and 3 of apply: the fan choices and the fan relays. The fans
// follow the nominal bits, as at every settings load.
void ApplyFans(RunState& state, const SettingsForm& form) {
  Settings& s = state.settings;
  CardState& card = state.card;
  ControlState& c = state.control;
  s.Fan_Speed = Ticked(form, settings_id::kFanHigh) ? 1 : 0;
  s.Auto_Fan = Ticked(form, settings_id::kAutoFan) ? card.fanLowBit : 0;
  s.Cont_Fan =
      Ticked(form, settings_id::kContinuousFan) ? (s.Fan_Speed == 0 ? card.fanLowBit : card.fanHighBit) : 0;
  c.autoFanBits = s.Auto_Fan;
  c.contFanBits = s.Cont_Fan;
  SwitchOff(card, static_cast<uint8_t>(card.fanLowBit | card.fanHighBit | card.heatPumpMask));
  if (c.heatState == HeatState::kOn) SwitchOn(card, card.fanHighMask);
  if (c.heatMode == HeatMode::kComfort) SwitchOn(card, c.autoFanBits);
  SwitchOn(card, c.contFanBits);
}

// After OK in the NOTICE box: the set-back is measured again from now with
// the new heat-pump choice, and the learning's projection follows it.
void RestartSetback(ControlHost& host) {
  RunState& state = host.State();
  LearningState& l = state.learning;
  ControlState& c = state.control;
  l.setbackStartTime = static_cast<float>(state.clock.clockSeconds);
  l.setbackStartInterior = c.interiorTemp;
  l.setbackStartExterior = c.exteriorTemp;
  l.setbackStartEnergy = state.statistics.energyToday;
  c.heatPumpHold = state.settings.HP_Cont;
  host.Learning().RecomputeProject();
  if (c.heatMode == HeatMode::kPreheat) c.hpChangedInPreheat = 1;
}

// Steps 4 and 5: the heat-pump choice and its relay, written to the card.
void ApplyHeatPump(ControlHost& host, const SettingsForm& form, std::optional<BoxResult> answer) {
  RunState& state = host.State();
  Settings& s = state.settings;
  CardState& card = state.card;
  ControlState& c = state.control;
  uint16_t automatic = Ticked(form, settings_id::kHeatPumpAuto) ? 1 : 0;
  uint16_t always = automatic == 0 && Ticked(form, settings_id::kHeatPumpAlwaysOn) ? 1 : 0;
  if (automatic != (s.Auto_HP != 0 ? 1 : 0) || always != (s.HP_Cont != 0 ? 1 : 0)) {
    bool store = c.setBackActive == 0 || answer == BoxResult::kOk;
    if (c.setBackActive != 0) SwitchOff(card, card.heatPumpMask);
    if (store) {
      s.Auto_HP = automatic;
      s.HP_Cont = always;
    }
    if (c.setBackActive != 0 && store) RestartSetback(host);
  }
  bool comfort = c.heatMode == HeatMode::kComfort || c.heatMode == HeatMode::kPreheat;
  if (s.HP_Cont != 0 || c.heatPumpHold != 0 || (s.HP == 1 && s.Auto_HP != 0 && comfort))
    SwitchOn(card, card.heatPumpMask);
  host.WriteOutputByte();
}

bool HeatPumpWouldChange(const RunState& state, const SettingsForm& form) {
  const Settings& s = state.settings;
  bool automatic = Ticked(form, settings_id::kHeatPumpAuto);
  bool always = !automatic && Ticked(form, settings_id::kHeatPumpAlwaysOn);
  return automatic != (s.Auto_HP != 0) || always != (s.HP_Cont != 0);
}

}  // namespace

SettingsForm OpenSettingsDialog(const RunState& state) {
  const Settings& s = state.settings;
  SettingsForm form;
  form.texts[settings_id::kLanguage] = kLanguage;
  for (const NumberField& field : kNumberFields) form.texts[field.id] = FieldText(state, field);
  Tick(form, s.tempUnits != 0, settings_id::kFahrenheit, settings_id::kCelsius);
  Tick(form, s.speedUnits != 0, settings_id::kMilesPerHour, settings_id::kKmPerHour);
  if (s.Auto_Fan != 0) form.ticked.insert(settings_id::kAutoFan);
  if (s.Cont_Fan != 0) form.ticked.insert(settings_id::kContinuousFan);
  Tick(form, s.Fan_Speed != 0, settings_id::kFanHigh, settings_id::kFanLow);
  Tick(form, s.Auto_HP != 0, settings_id::kHeatPumpAuto, settings_id::kHeatPumpManual);
  Tick(form, s.HP_Cont != 0, settings_id::kHeatPumpAlwaysOn, settings_id::kHeatPumpAlwaysOff);
  Tick(form, s.Int_Adjust_Rel != 0, settings_id::kIntRelative, settings_id::kIntAbsolute);
  Tick(form, s.Ext_Adjust_Rel != 0, settings_id::kExtRelative, settings_id::kExtAbsolute);
  Tick(form, s.SUN_Adj_Straight != 0, settings_id::kSunStraightLine, settings_id::kSunExponential);
  if (s.SUNNY_Econo_Mode == 1) form.ticked.insert(settings_id::kSunnyEconoMode);
  if (s.COLD_Mode == 1) form.ticked.insert(settings_id::kColdMode);
  form.stamp = FormFingerprint(form);
  return form;
}

MessageBoxRequest HeatPumpNoticeBox() {
  MessageBoxRequest box;
  box.ownedByMainWindow = true;
  box.caption = "NOTICE";
  box.icon = BoxIcon::kStop;
  box.buttons = BoxButtons::kOkCancel;
  box.defaultButton = 1;
  box.text =
      "WARNING !\n"
      "It is NOT Recommanded to Change the Status of the HeatPump at this Stage of the Heating "
      "Programmation (SetBack or PreHeating Mode).\n"
      "This may Affect or Invalidate the Learning Process of the KELVORA System!\n\n"
      "Click OK if you want to Continue anyway or\n"
      "CANCEL for NO Change!";
  return box;
}

SettingsOutcome ApplySettings(ControlHost& host, const SettingsForm& form, bool save,
                              std::optional<BoxResult> noticeAnswer) {
  RunState& state = host.State();
  Settings& s = state.settings;
  SettingsForm current = OpenSettingsDialog(state);
  if (current.stamp != form.stamp) return {SettingsApplied::kChanged, ChangedElsewhereBox(), current};

  // Every field is checked before anything is stored.
  if (TextOf(form, settings_id::kLanguage) != kLanguage)
    return {SettingsApplied::kRefused, ErrorBox("SELECT a LANGUAGE from the List", "NOT a VALID LABEL"), {}};
  Units units = UnitsOf(s);
  std::vector<float> values;
  for (const NumberField& field : kNumberFields) {
    auto read = ReadField(form, field, units);
    if (auto* box = std::get_if<MessageBoxRequest>(&read)) return {SettingsApplied::kRefused, *box, {}};
    values.push_back(std::get<float>(read));
  }
  if (state.control.setBackActive != 0 && HeatPumpWouldChange(state, form) && !noticeAnswer)
    return {SettingsApplied::kAsk, HeatPumpNoticeBox(), {}};

  state.control.changeFlags |= kProgramFieldsFlag;
  s.Language = kLanguage;
  ApplyFans(state, form);
  ApplyHeatPump(host, form, noticeAnswer);
  s.Int_Adjust_Rel = Ticked(form, settings_id::kIntRelative) ? 1 : 0;
  s.Ext_Adjust_Rel = Ticked(form, settings_id::kExtRelative) ? 1 : 0;
  s.SUN_Adj_Straight = Ticked(form, settings_id::kSunStraightLine) ? 1 : 0;
  s.SUNNY_Econo_Mode = Ticked(form, settings_id::kSunnyEconoMode) ? 1 : 0;
  s.COLD_Mode = Ticked(form, settings_id::kColdMode) ? 1 : 0;
  for (size_t i = 0; i < values.size(); ++i) s.*kNumberFields[i].setting = values[i];
  // The units last: every number above was read in the units it was shown in.
  s.tempUnits = Ticked(form, settings_id::kFahrenheit) ? 1 : 0;
  s.speedUnits = Ticked(form, settings_id::kMilesPerHour) ? 1 : 0;
  if (save) SaveUserSettings(host.Profile(), state.texts.settingsPath, s);
  return {};
}

SettingsView ActOnSettings(ControlHost* host, SettingsAction action) {
  SettingsView view;
  if (action.kind == SettingsAction::Kind::kOpen) {
    view.form = OpenSettingsDialog(host->State());
    return view;
  }
  SettingsOutcome outcome =
      ApplySettings(*host, *action.form, action.kind == SettingsAction::Kind::kSave, action.answer);
  switch (outcome.result) {
    case SettingsApplied::kApplied:
      view.closed = true;
      break;
    case SettingsApplied::kAsk:
      view.ask = outcome.box;
      break;
    case SettingsApplied::kChanged:
      view.form = outcome.current;
      view.box = outcome.box;
      break;
    case SettingsApplied::kRefused:
      view.box = outcome.box;
      break;
  }
  return view;
}

}  // namespace kelvora
