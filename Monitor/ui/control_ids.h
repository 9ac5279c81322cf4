// The identifiers of the window's dialogs, its menu commands and every
// control a person reads or touches, by name. The page carries the same
// numbers in its data-control, data-command and data-dialog attributes and
// the JSON API keys texts by them, so the numbers never change; the page's
// scripts name them through resources/web/js/ids.js, which mirrors this
// table entry for entry (a test holds the two together).
#ifndef KELVORA_MONITOR_UI_CONTROL_IDS_H_
#define KELVORA_MONITOR_UI_CONTROL_IDS_H_

#include <string_view>

namespace kelvora {

// The windows and dialogs.
namespace dialog_id {
inline constexpr int kMainWindow = 1001;
inline constexpr int kStatList = 5000;
inline constexpr int kPrograms = 6000;
inline constexpr int kLabels = 7000;
inline constexpr int kSettings = 8000;
inline constexpr int kAbout = 9000;
}  // namespace dialog_id

// The menu bar's items.
namespace command_id {
inline constexpr int kSaveStats = 11100;
inline constexpr int kPause = 11200;
inline constexpr int kResume = 11300;
inline constexpr int kExitWithoutSave = 11400;
inline constexpr int kQuit = 11900;
inline constexpr int kSchedule = 12100;
inline constexpr int kDays = 12210;
inline constexpr int kHourLabels = 12220;
inline constexpr int kTempLabels = 12230;
inline constexpr int kHolidays = 12240;
inline constexpr int kHeatingTime = 12300;
inline constexpr int kListHeatingCycles = 13110;
inline constexpr int kListPreheats = 13120;
inline constexpr int kListTempDrops = 13130;
inline constexpr int kGraphCycleHistogram = 13210;
inline constexpr int kGraphPreheatCurve = 13220;
inline constexpr int kGraphTempDropCurve = 13230;
inline constexpr int kSettings = 14900;
inline constexpr int kAbout = 15100;
}  // namespace command_id

// The buttons every dialog shares.
namespace button_id {
inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;
}  // namespace button_id

// The main window. Each weather group's minimum, mean and maximum follow its
// current value: the three identifiers after it.
namespace control_id {
inline constexpr int kHeatingGroup = 1002;
inline constexpr int kCyclesGroup = 1009;
inline constexpr int kProgramGroup = 1010;
inline constexpr int kWeekday = 1011;
inline constexpr int kDate = 1012;
inline constexpr int kClock = 1013;
inline constexpr int kHeatingTime = 1015;
inline constexpr int kFromTime = 1016;
inline constexpr int kToTime = 1017;
inline constexpr int kFromTemp = 1018;
inline constexpr int kEnergy = 1021;
inline constexpr int kToTemp = 1023;
inline constexpr int kProgramName = 1026;
inline constexpr int kSlotNumber = 1027;
inline constexpr int kCost = 1028;
inline constexpr int kHeatingPercent = 1029;
inline constexpr int kEnergyPercent = 1030;
inline constexpr int kOnPercent = 1032;
inline constexpr int kOnTime = 1033;
inline constexpr int kOffPercent = 1034;
inline constexpr int kOffTime = 1035;
inline constexpr int kFanText = 1040;
inline constexpr int kModeText = 1042;
inline constexpr int kPreheatGroup = 1043;
inline constexpr int kDegreesGained = 1047;
inline constexpr int kDegreesToReach = 1048;
inline constexpr int kPreheatMinutes = 1050;
inline constexpr int kArrivalTime = 1051;
inline constexpr int kSavings = 1052;
inline constexpr int kModify = 1057;
inline constexpr int kDelete = 1060;
inline constexpr int kCycleStrip = 1061;
inline constexpr int kSlotButtons = 1062;
inline constexpr int kSlotList = 1063;
inline constexpr int kTemperatureGroup = 1101;
inline constexpr int kWindSunGroup = 1102;
inline constexpr int kWindHeading = 2111;
inline constexpr int kIndoorNow = 3001;
inline constexpr int kIndoorMinimum = 3002;
inline constexpr int kIndoorMean = 3003;
inline constexpr int kIndoorMaximum = 3004;
inline constexpr int kOutdoorNow = 3101;
inline constexpr int kOutdoorMinimum = 3102;
inline constexpr int kOutdoorMean = 3103;
inline constexpr int kOutdoorMaximum = 3104;
inline constexpr int kWindChillNow = 3201;
inline constexpr int kWindChillMinimum = 3202;
inline constexpr int kWindChillMean = 3203;
inline constexpr int kWindChillMaximum = 3204;
inline constexpr int kWindNow = 3301;
inline constexpr int kWindLastHour = 3302;
inline constexpr int kWindMean = 3303;
inline constexpr int kWindMaximum = 3304;
inline constexpr int kSunNow = 3401;
inline constexpr int kSunLastHour = 3402;
inline constexpr int kSunMean = 3403;
inline constexpr int kSunMaximum = 3404;
}  // namespace control_id

// The statistics list.
namespace stat_list_id {
inline constexpr int kTable = 5002;
inline constexpr int kGraph = 5004;
}  // namespace stat_list_id

// "Programs Setting/Editing".
namespace programs_id {
inline constexpr int kNames = 6001;
inline constexpr int kList = 6002;
inline constexpr int kAdd = 6004;
inline constexpr int kTimes = 6005;
inline constexpr int kTemps = 6006;
inline constexpr int kSave = 6008;
inline constexpr int kDelete = 6009;
inline constexpr int kDeleteAll = 6010;
inline constexpr int kRestore = 6011;
inline constexpr int kGroup = 6012;
}  // namespace programs_id

// The Labels dialog, in each of its modes.
namespace labels_id {
inline constexpr int kLabelCaption = 7001;
inline constexpr int kValueCaption = 7003;
inline constexpr int kGroup = 7004;
inline constexpr int kRestore = 7005;
inline constexpr int kDeleteAll = 7006;
inline constexpr int kDelete = 7007;
inline constexpr int kSave = 7008;
inline constexpr int kValues = 7011;
inline constexpr int kLabels = 7012;
inline constexpr int kAdd = 7013;
inline constexpr int kList = 7015;
}  // namespace labels_id

// The Settings dialog; its Modify is button_id::kOk.
namespace settings_id {
inline constexpr int kFanLow = 8001;
inline constexpr int kAutoFan = 8002;
inline constexpr int kExteriorGroup = 8003;
inline constexpr int kExtAdjust = 8004;
inline constexpr int kKwhCost = 8005;
inline constexpr int kContinuousFan = 8007;
inline constexpr int kLanguage = 8008;
inline constexpr int kUnitsGroup = 8010;
inline constexpr int kFanHigh = 8011;
inline constexpr int kFahrenheit = 8012;
inline constexpr int kSunFloor = 8013;
inline constexpr int kCelsius = 8016;
inline constexpr int kMilesPerHour = 8017;
inline constexpr int kKmPerHour = 8018;
inline constexpr int kFanGroup = 8019;
inline constexpr int kSunnyEconoMode = 8020;
inline constexpr int kTempSetBack = 8021;
inline constexpr int kExtTempFloor = 8022;
inline constexpr int kOverrideGroup = 8023;
inline constexpr int kSunStraightLine = 8025;
inline constexpr int kExtAbsolute = 8026;
inline constexpr int kExtRelative = 8027;
inline constexpr int kSunExponential = 8028;
inline constexpr int kSunAdjust = 8030;
inline constexpr int kPreferencesGroup = 8031;
inline constexpr int kExtRelativeTo = 8034;
inline constexpr int kSunExponent = 8037;
inline constexpr int kInteriorGroup = 8038;
inline constexpr int kIntRelativeTo = 8040;
inline constexpr int kIntRelative = 8042;
inline constexpr int kIntAbsolute = 8043;
inline constexpr int kIntAdjust = 8044;
inline constexpr int kColdMode = 8048;
inline constexpr int kTempSetForward = 8051;
inline constexpr int kExtTempCeil = 8054;
inline constexpr int kWindFloor = 8055;
inline constexpr int kHeatPumpGroup = 8056;
inline constexpr int kHeatPumpAuto = 8058;
inline constexpr int kHeatPumpManual = 8059;
inline constexpr int kHeatPumpAlwaysOff = 8061;
inline constexpr int kHeatPumpAlwaysOn = 8062;
inline constexpr int kSave = 8100;
}  // namespace settings_id

// The About box.
namespace about_id {
inline constexpr int kHiddenControl = 9001;
inline constexpr int kPicture = 9002;
inline constexpr int kBanner = 9003;
inline constexpr int kText = 9010;
}  // namespace about_id

// Every identifier above as "group.kName", for the check that the page's
// mirror holds the same table; an identifier added above belongs here too.
struct NamedId {
  std::string_view name;
  int id;
};

inline constexpr NamedId kNamedIds[] = {
    {"dialog_id.kMainWindow", dialog_id::kMainWindow},
    {"dialog_id.kStatList", dialog_id::kStatList},
    {"dialog_id.kPrograms", dialog_id::kPrograms},
    {"dialog_id.kLabels", dialog_id::kLabels},
    {"dialog_id.kSettings", dialog_id::kSettings},
    {"dialog_id.kAbout", dialog_id::kAbout},
    {"command_id.kSaveStats", command_id::kSaveStats},
    {"command_id.kPause", command_id::kPause},
    {"command_id.kResume", command_id::kResume},
    {"command_id.kExitWithoutSave", command_id::kExitWithoutSave},
    {"command_id.kQuit", command_id::kQuit},
    {"command_id.kSchedule", command_id::kSchedule},
    {"command_id.kDays", command_id::kDays},
    {"command_id.kHourLabels", command_id::kHourLabels},
    {"command_id.kTempLabels", command_id::kTempLabels},
    {"command_id.kHolidays", command_id::kHolidays},
    {"command_id.kHeatingTime", command_id::kHeatingTime},
    {"command_id.kListHeatingCycles", command_id::kListHeatingCycles},
    {"command_id.kListPreheats", command_id::kListPreheats},
    {"command_id.kListTempDrops", command_id::kListTempDrops},
    {"command_id.kGraphCycleHistogram", command_id::kGraphCycleHistogram},
    {"command_id.kGraphPreheatCurve", command_id::kGraphPreheatCurve},
    {"command_id.kGraphTempDropCurve", command_id::kGraphTempDropCurve},
    {"command_id.kSettings", command_id::kSettings},
    {"command_id.kAbout", command_id::kAbout},
    {"button_id.kOk", button_id::kOk},
    {"button_id.kCancel", button_id::kCancel},
    {"control_id.kHeatingGroup", control_id::kHeatingGroup},
    {"control_id.kCyclesGroup", control_id::kCyclesGroup},
    {"control_id.kProgramGroup", control_id::kProgramGroup},
    {"control_id.kWeekday", control_id::kWeekday},
    {"control_id.kDate", control_id::kDate},
    {"control_id.kClock", control_id::kClock},
    {"control_id.kHeatingTime", control_id::kHeatingTime},
    {"control_id.kFromTime", control_id::kFromTime},
    {"control_id.kToTime", control_id::kToTime},
    {"control_id.kFromTemp", control_id::kFromTemp},
    {"control_id.kEnergy", control_id::kEnergy},
    {"control_id.kToTemp", control_id::kToTemp},
    {"control_id.kProgramName", control_id::kProgramName},
    {"control_id.kSlotNumber", control_id::kSlotNumber},
    {"control_id.kCost", control_id::kCost},
    {"control_id.kHeatingPercent", control_id::kHeatingPercent},
    {"control_id.kEnergyPercent", control_id::kEnergyPercent},
    {"control_id.kOnPercent", control_id::kOnPercent},
    {"control_id.kOnTime", control_id::kOnTime},
    {"control_id.kOffPercent", control_id::kOffPercent},
    {"control_id.kOffTime", control_id::kOffTime},
    {"control_id.kFanText", control_id::kFanText},
    {"control_id.kModeText", control_id::kModeText},
    {"control_id.kPreheatGroup", control_id::kPreheatGroup},
    {"control_id.kDegreesGained", control_id::kDegreesGained},
    {"control_id.kDegreesToReach", control_id::kDegreesToReach},
    {"control_id.kPreheatMinutes", control_id::kPreheatMinutes},
    {"control_id.kArrivalTime", control_id::kArrivalTime},
    {"control_id.kSavings", control_id::kSavings},
    {"control_id.kModify", control_id::kModify},
    {"control_id.kDelete", control_id::kDelete},
    {"control_id.kCycleStrip", control_id::kCycleStrip},
    {"control_id.kSlotButtons", control_id::kSlotButtons},
    {"control_id.kSlotList", control_id::kSlotList},
    {"control_id.kTemperatureGroup", control_id::kTemperatureGroup},
    {"control_id.kWindSunGroup", control_id::kWindSunGroup},
    {"control_id.kWindHeading", control_id::kWindHeading},
    {"control_id.kIndoorNow", control_id::kIndoorNow},
    {"control_id.kIndoorMinimum", control_id::kIndoorMinimum},
    {"control_id.kIndoorMean", control_id::kIndoorMean},
    {"control_id.kIndoorMaximum", control_id::kIndoorMaximum},
    {"control_id.kOutdoorNow", control_id::kOutdoorNow},
    {"control_id.kOutdoorMinimum", control_id::kOutdoorMinimum},
    {"control_id.kOutdoorMean", control_id::kOutdoorMean},
    {"control_id.kOutdoorMaximum", control_id::kOutdoorMaximum},
    {"control_id.kWindChillNow", control_id::kWindChillNow},
    {"control_id.kWindChillMinimum", control_id::kWindChillMinimum},
    {"control_id.kWindChillMean", control_id::kWindChillMean},
    {"control_id.kWindChillMaximum", control_id::kWindChillMaximum},
    {"control_id.kWindNow", control_id::kWindNow},
    {"control_id.kWindLastHour", control_id::kWindLastHour},
    {"control_id.kWindMean", control_id::kWindMean},
    {"control_id.kWindMaximum", control_id::kWindMaximum},
    {"control_id.kSunNow", control_id::kSunNow},
    {"control_id.kSunLastHour", control_id::kSunLastHour},
    {"control_id.kSunMean", control_id::kSunMean},
    {"control_id.kSunMaximum", control_id::kSunMaximum},
    {"stat_list_id.kTable", stat_list_id::kTable},
    {"stat_list_id.kGraph", stat_list_id::kGraph},
    {"programs_id.kNames", programs_id::kNames},
    {"programs_id.kList", programs_id::kList},
    {"programs_id.kAdd", programs_id::kAdd},
    {"programs_id.kTimes", programs_id::kTimes},
    {"programs_id.kTemps", programs_id::kTemps},
    {"programs_id.kSave", programs_id::kSave},
    {"programs_id.kDelete", programs_id::kDelete},
    {"programs_id.kDeleteAll", programs_id::kDeleteAll},
    {"programs_id.kRestore", programs_id::kRestore},
    {"programs_id.kGroup", programs_id::kGroup},
    {"labels_id.kLabelCaption", labels_id::kLabelCaption},
    {"labels_id.kValueCaption", labels_id::kValueCaption},
    {"labels_id.kGroup", labels_id::kGroup},
    {"labels_id.kRestore", labels_id::kRestore},
    {"labels_id.kDeleteAll", labels_id::kDeleteAll},
    {"labels_id.kDelete", labels_id::kDelete},
    {"labels_id.kSave", labels_id::kSave},
    {"labels_id.kValues", labels_id::kValues},
    {"labels_id.kLabels", labels_id::kLabels},
    {"labels_id.kAdd", labels_id::kAdd},
    {"labels_id.kList", labels_id::kList},
    {"settings_id.kFanLow", settings_id::kFanLow},
    {"settings_id.kAutoFan", settings_id::kAutoFan},
    {"settings_id.kExteriorGroup", settings_id::kExteriorGroup},
    {"settings_id.kExtAdjust", settings_id::kExtAdjust},
    {"settings_id.kKwhCost", settings_id::kKwhCost},
    {"settings_id.kContinuousFan", settings_id::kContinuousFan},
    {"settings_id.kLanguage", settings_id::kLanguage},
    {"settings_id.kUnitsGroup", settings_id::kUnitsGroup},
    {"settings_id.kFanHigh", settings_id::kFanHigh},
    {"settings_id.kFahrenheit", settings_id::kFahrenheit},
    {"settings_id.kSunFloor", settings_id::kSunFloor},
    {"settings_id.kCelsius", settings_id::kCelsius},
    {"settings_id.kMilesPerHour", settings_id::kMilesPerHour},
    {"settings_id.kKmPerHour", settings_id::kKmPerHour},
    {"settings_id.kFanGroup", settings_id::kFanGroup},
    {"settings_id.kSunnyEconoMode", settings_id::kSunnyEconoMode},
    {"settings_id.kTempSetBack", settings_id::kTempSetBack},
    {"settings_id.kExtTempFloor", settings_id::kExtTempFloor},
    {"settings_id.kOverrideGroup", settings_id::kOverrideGroup},
    {"settings_id.kSunStraightLine", settings_id::kSunStraightLine},
    {"settings_id.kExtAbsolute", settings_id::kExtAbsolute},
    {"settings_id.kExtRelative", settings_id::kExtRelative},
    {"settings_id.kSunExponential", settings_id::kSunExponential},
    {"settings_id.kSunAdjust", settings_id::kSunAdjust},
    {"settings_id.kPreferencesGroup", settings_id::kPreferencesGroup},
    {"settings_id.kExtRelativeTo", settings_id::kExtRelativeTo},
    {"settings_id.kSunExponent", settings_id::kSunExponent},
    {"settings_id.kInteriorGroup", settings_id::kInteriorGroup},
    {"settings_id.kIntRelativeTo", settings_id::kIntRelativeTo},
    {"settings_id.kIntRelative", settings_id::kIntRelative},
    {"settings_id.kIntAbsolute", settings_id::kIntAbsolute},
    {"settings_id.kIntAdjust", settings_id::kIntAdjust},
    {"settings_id.kColdMode", settings_id::kColdMode},
    {"settings_id.kTempSetForward", settings_id::kTempSetForward},
    {"settings_id.kExtTempCeil", settings_id::kExtTempCeil},
    {"settings_id.kWindFloor", settings_id::kWindFloor},
    {"settings_id.kHeatPumpGroup", settings_id::kHeatPumpGroup},
    {"settings_id.kHeatPumpAuto", settings_id::kHeatPumpAuto},
    {"settings_id.kHeatPumpManual", settings_id::kHeatPumpManual},
    {"settings_id.kHeatPumpAlwaysOff", settings_id::kHeatPumpAlwaysOff},
    {"settings_id.kHeatPumpAlwaysOn", settings_id::kHeatPumpAlwaysOn},
    {"settings_id.kSave", settings_id::kSave},
    {"about_id.kHiddenControl", about_id::kHiddenControl},
    {"about_id.kPicture", about_id::kPicture},
    {"about_id.kBanner", about_id::kBanner},
    {"about_id.kText", about_id::kText},
};

}  // namespace kelvora

#endif  // KELVORA_MONITOR_UI_CONTROL_IDS_H_
