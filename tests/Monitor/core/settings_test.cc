#include "Monitor/core/settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "platform/file_layer.h"
#include "platform/private_profile.h"
#include "tests/support/fakes.h"

namespace kelvora {
namespace {

// A program directory with "DATA" as the current directory, as at run time.
class SettingsFileTest : public ::testing::Test {
 protected:
  SettingsFileTest() : files_(handler_), profile_(files_) {
    files_.SetSyncOnCommit(false);
    files_.MakeDirectory(dir_.File("DATA"));
    files_.SetCurrentDirectory(dir_.File("DATA"));
  }

  void WriteSettingsFile(const std::string& bytes) {
    testing::WriteFileBytes(dir_.File("Settings.ini"), bytes);
  }
  std::string SettingsFile() const { return testing::ReadFileBytes(dir_.File("Settings.ini")); }
  void Load() { LoadSettings(profile_, kPath, settings_, simulationMode_); }
  void LoadFrom(const std::string& bytes) {
    WriteSettingsFile(bytes);
    Load();
  }

  static constexpr std::string_view kPath = "..\\Settings.ini";
  testing::TempDir dir_;
  testing::RecordingTrapHandler handler_;
  FileLayer files_;
  PrivateProfile profile_;
  Settings settings_;
  uint8_t simulationMode_ = 0;
};

// --- Initial values and a missing file -------------------------------------

class SettingsLoadTest : public SettingsFileTest {};

TEST_F(SettingsLoadTest, InitialValuesAreTheKeysDefaults) {
  Settings s;
  EXPECT_EQ(s.tempUnits, 1);
  EXPECT_EQ(s.speedUnits, 1);
  EXPECT_EQ(s.WIND_Adjust, 1.0f);
  EXPECT_EQ(s.SUN_Floor, 50.0f);
  EXPECT_EQ(s.Ext_Temp_Floor, 10.0f);
  EXPECT_EQ(s.Temp_SetBack, 1.0f);
  EXPECT_EQ(s.WIND_Floor, 30.0f);
  EXPECT_EQ(s.Ext_Temp_Ceil, -20.0f);
  EXPECT_EQ(s.Temp_SetForward, 1.0f);
  EXPECT_EQ(s.Inert_Deg, 3);
  EXPECT_EQ(s.Day_Range, 45);
  EXPECT_EQ(s.Year_Range, 2);
  EXPECT_EQ(s.Temp_Dwell, 0.04f);
  EXPECT_EQ(s.HP_SetForward, 0.15f);
  EXPECT_EQ(s.D_Int_Temp, 19.5f);
  EXPECT_EQ(s.D_Ext_Temp, -15.0f);
  EXPECT_EQ(s.D_Wind, 20.0f);
  EXPECT_EQ(s.KWh_Cost, 0.0f);
  EXPECT_EQ(s.HP, 0);
  EXPECT_EQ(s.Language, "");
  EXPECT_EQ(s.languageFrench, 0);
}

TEST_F(SettingsLoadTest, NoFileKeepsEveryValueAndTheSimulationMode) {
  simulationMode_ = 1;
  Load();
  EXPECT_EQ(settings_, Settings{});
  EXPECT_EQ(simulationMode_, 1);
  simulationMode_ = 0;
  Load();
  EXPECT_EQ(simulationMode_, 0);
  EXPECT_TRUE(handler_.errors.empty());
}

TEST_F(SettingsLoadTest, MissingKeysLeaveCurrentValuesBitForBit) {
  settings_.Temp_Dwell = 0.0411111f;
  settings_.D_Int_Temp = 21.1f;
  settings_.Sun_Sensor_Ceil = 87.12345f;
  settings_.Inert_Deg = -4;
  settings_.SUN_Floor = 62.5f;
  settings_.HP = 1;
  settings_.HP_Cont = 300;
  Settings before = settings_;
  LoadFrom("[User]\r\n[System]\r\n");
  EXPECT_EQ(settings_, before);
}

// --- Conversions -------------------------------------------------------------

TEST_F(SettingsLoadTest, SunFloorReadsTheNumberBeforeThePercentSign) {
  LoadFrom("[User]\r\nSUN_Floor=75%\r\n");
  EXPECT_EQ(settings_.SUN_Floor, 75.0f);
}

TEST_F(SettingsLoadTest, TextWithoutANumberReadsZero) {
  LoadFrom("[User]\r\nSUN_Floor=abc\r\nExt_Temp_Ceil=\r\n");
  EXPECT_EQ(settings_.SUN_Floor, 0.0f);
  EXPECT_EQ(settings_.Ext_Temp_Ceil, 0.0f);
}

TEST_F(SettingsLoadTest, ValuesAreCutToTheirReadWidthBeforeConversion) {
  LoadFrom(
      "[User]\r\nKWh_Cost=0.125\r\nTemp_Units=10\r\nInt_Adjust=-1.257\r\n[Demo]\r\nD_Int_Temp=21."
      "123456789\r\n");
  EXPECT_EQ(settings_.KWh_Cost, 0.12f);
  EXPECT_EQ(settings_.tempUnits, 1);
  EXPECT_EQ(settings_.Int_Adjust, -1.25f);
  EXPECT_EQ(settings_.D_Int_Temp, 21.123456f);
}

TEST_F(SettingsLoadTest, IntegerKeysRoundHalvesToTheEvenNeighbour) {
  LoadFrom("[System]\r\nInert_Deg=-2.5\r\nDay_Range=44.5\r\nYear_Range=2.6\r\n[Config]\r\nHT=1.5\r\n");
  EXPECT_EQ(settings_.Inert_Deg, -2);
  EXPECT_EQ(settings_.Day_Range, 44);
  EXPECT_EQ(settings_.Year_Range, 3);
  EXPECT_EQ(settings_.HT, 2);
}

TEST_F(SettingsLoadTest, IntegersBeyondTheirTypeAreClampedToItsRange) {
  LoadFrom(
      "[System]\r\nInert_Deg=-40000\r\nDay_Range=70000\r\nYear_Range=-3\r\n"
      "[Config]\r\nHT=300\r\nHP=1\r\n[User]\r\nHP_Cont=1e30\r\n");
  EXPECT_EQ(settings_.Inert_Deg, -32768);
  EXPECT_EQ(settings_.Day_Range, 65535);
  EXPECT_EQ(settings_.Year_Range, 0);
  EXPECT_EQ(settings_.HT, 255);
  EXPECT_EQ(settings_.HP_Cont, 65535);
}

TEST_F(SettingsLoadTest, FloatBeyondASingleKeepsThePreviousValue) {
  LoadFrom("[System]\r\nTemp_Dwell=1e999\r\nSun_Sensor_Ceil=-1e39\r\n[Demo]\r\nD_Wind=1e39\r\n");
  EXPECT_EQ(settings_.Temp_Dwell, 0.04f);
  EXPECT_EQ(settings_.Sun_Sensor_Ceil, 0.0f);
  EXPECT_EQ(settings_.D_Wind, 20.0f);
}

TEST_F(SettingsLoadTest, HexadecimalValuesAreRead) {
  LoadFrom("[System]\r\nDay_Range=&h20\r\n");
  EXPECT_EQ(settings_.Day_Range, 32);
}

TEST_F(SettingsLoadTest, SectionAndKeyNamesIgnoreCase) {
  LoadFrom("[user]\r\ntemp_units=0\r\n[CONFIG]\r\nhp=1\r\nauto_hp=1\r\n");
  EXPECT_EQ(settings_.tempUnits, 0);
  EXPECT_EQ(settings_.HP, 1);
}

// --- Corrections -------------------------------------------------------------

TEST_F(SettingsLoadTest, WindAdjustOfZeroOrBelowBecomesOne) {
  LoadFrom("[User]\r\nWIND_Adjust=0\r\n");
  EXPECT_EQ(settings_.WIND_Adjust, 1.0f);
  LoadFrom("[User]\r\nWIND_Adjust=-0.5\r\n");
  EXPECT_EQ(settings_.WIND_Adjust, 1.0f);
  LoadFrom("[User]\r\nWIND_Adjust=0.8\r\n");
  EXPECT_EQ(settings_.WIND_Adjust, 0.8f);
}

TEST_F(SettingsLoadTest, TempDwellAboveOneBecomesOne) {
  LoadFrom("[System]\r\nTemp_Dwell=2\r\n");
  EXPECT_EQ(settings_.Temp_Dwell, 1.0f);
}

TEST_F(SettingsLoadTest, HeatPumpSetForwardAboveOneBecomesOne) {
  LoadFrom("[System]\r\nHP_SetForward=1.5\r\n");
  EXPECT_EQ(settings_.HP_SetForward, 1.0f);
}

TEST_F(SettingsLoadTest, HeatPumpSetForwardBelowTempDwellIsRaisedOnlyWhenAsked) {
  LoadFrom("[System]\r\nHP_SetForward=0.01\r\nTemp_Dwell=0.04\r\n");
  EXPECT_EQ(settings_.HP_SetForward, 0.01f);
  RaiseHeatPumpSetForward(settings_);
  EXPECT_EQ(settings_.HP_SetForward, 0.04f);
}

TEST_F(SettingsLoadTest, RaisingLeavesALargerHeatPumpSetForward) {
  RaiseHeatPumpSetForward(settings_);
  EXPECT_EQ(settings_.HP_SetForward, 0.15f);
}

TEST_F(SettingsLoadTest, HeatPumpOtherThanOneClearsTheHeatPumpKeys) {
  LoadFrom("[User]\r\nAuto_HP=1\r\nHP_Cont=1\r\n[Config]\r\nHP=2\r\n");
  EXPECT_EQ(settings_.HP, 0);
  EXPECT_EQ(settings_.Auto_HP, 0);
  EXPECT_EQ(settings_.HP_Cont, 0);
}

TEST_F(SettingsLoadTest, HeatPumpOfOneKeepsTheHeatPumpKeys) {
  LoadFrom("[User]\r\nAuto_HP=1\r\nHP_Cont=1\r\n[Config]\r\nHP=1\r\n");
  EXPECT_EQ(settings_.HP, 1);
  EXPECT_EQ(settings_.Auto_HP, 1);
  EXPECT_EQ(settings_.HP_Cont, 1);
}

// --- Simulation mode and language --------------------------------------------

TEST_F(SettingsLoadTest, SimModeOneForcesTheSimulation) {
  LoadFrom("[System]\r\nSim_Mode=1\r\n");
  EXPECT_EQ(simulationMode_, 1);
}

TEST_F(SettingsLoadTest, SimModeZeroClearsTheSimulationAndNonZeroSetsIt) {
  simulationMode_ = 1;
  LoadFrom("[System]\r\nSim_Mode=0\r\n");
  EXPECT_EQ(simulationMode_, 0);
  LoadFrom("[System]\r\nSim_Mode=7\r\n");
  EXPECT_EQ(simulationMode_, 1);
}

TEST_F(SettingsLoadTest, FrancaisInWindows1252SelectsFrench) {
  LoadFrom(
      "[User]\r\nLanguage=Fran\xE7"
      "ais   \r\n");
  EXPECT_EQ(settings_.languageFrench, 1);
  EXPECT_EQ(settings_.Language,
            "Fran\xE7"
            "ais");
}

TEST_F(SettingsLoadTest, FrancaisInUtf8SelectsFrench) {
  LoadFrom(
      "[User]\r\nLanguage=Fran\xC3\xA7"
      "ais\r\n");
  EXPECT_EQ(settings_.languageFrench, 1);
}

TEST_F(SettingsLoadTest, OtherLanguagesLeaveTheLanguageUnchanged) {
  settings_.languageFrench = 1;
  LoadFrom("[User]\r\nLanguage=English\r\n");
  EXPECT_EQ(settings_.languageFrench, 1);
  settings_.languageFrench = 0;
  LoadFrom("[User]\r\nLanguage=Francais\r\n");
  EXPECT_EQ(settings_.languageFrench, 0);
  LoadFrom(
      "[User]\r\nLanguage=fran\xE7"
      "ais\r\n");
  EXPECT_EQ(settings_.languageFrench, 0);
}

TEST_F(SettingsLoadTest, LanguageIsHeldInNineCharacters) {
  LoadFrom("[User]\r\nLanguage=Portuguese\r\n");
  EXPECT_EQ(settings_.Language, "Portugues");
}

// --- Damaged files -------------------------------------------------------------

TEST_F(SettingsLoadTest, FirstOfDuplicateSectionsAndKeysWins) {
  LoadFrom("[User]\r\nCOLD_Mode=1\r\nCOLD_Mode=0\r\n[Config]\r\n[User]\r\nAuto_Fan=1\r\nCOLD_Mode=0");
  EXPECT_EQ(settings_.COLD_Mode, 1);
  EXPECT_EQ(settings_.Auto_Fan, 0);
}

TEST_F(SettingsLoadTest, LastLineWithoutLineEndIsRead) {
  LoadFrom("[Config]\r\nHP=1");
  EXPECT_EQ(settings_.HP, 1);
}

TEST_F(SettingsLoadTest, HugeLineIsCutAndTheKeysAfterItRead) {
  LoadFrom("[User]\r\nKWh_Cost=" + std::string(size_t{1000} * 1000, '9') + "\r\nCOLD_Mode=1\r\n");
  EXPECT_EQ(settings_.KWh_Cost, 9999.0f);
  EXPECT_EQ(settings_.COLD_Mode, 1);
}

TEST_F(SettingsLoadTest, BinaryGarbageLoadsIntoUsableValues) {
  std::mt19937 random(20240601);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int round = 0; round < 20; ++round) {
    std::string garbage = "[User]\r\n[System]\n[Config]\r";
    for (int i = 0; i < 4000; ++i) garbage += static_cast<char>(byte(random));
    settings_ = Settings{};
    LoadFrom(garbage + "\r\n[Demo]\r\nD_Wind=33\r\n");
    EXPECT_TRUE(std::isfinite(settings_.KWh_Cost) && std::isfinite(settings_.Sun_Sensor_Ceil));
    EXPECT_GT(settings_.WIND_Adjust, 0.0f);
    EXPECT_LE(settings_.Temp_Dwell, 1.0f);
    EXPECT_EQ(settings_.D_Wind, 33.0f);
  }
}

// --- The card detection's key ----------------------------------------------------

TEST_F(SettingsLoadTest, IsaPortReadsDecimalOrHexadecimal) {
  EXPECT_EQ(ReadIsaPort(profile_, kPath, 0x2A0), 0x2A0);
  WriteSettingsFile("[Config]\r\nISA_Port=&h300\r\n");
  EXPECT_EQ(ReadIsaPort(profile_, kPath, 0), 0x300);
  WriteSettingsFile("[Config]\r\nISA_Port=768\r\n");
  EXPECT_EQ(ReadIsaPort(profile_, kPath, 0), 768);
  WriteSettingsFile("[Config]\r\nISA_Port=&h3000000\r\n");
  EXPECT_EQ(ReadIsaPort(profile_, kPath, 0), 65535);
}

// --- Writing -----------------------------------------------------------------

class SettingsSaveTest : public SettingsFileTest {
 protected:
  std::string SavedValue(std::string_view key) { return profile_.Read("User", key, "<missing>", 64, kPath); }
};

TEST_F(SettingsSaveTest, EmptyFileGetsTheUserKeysInTheDialogsOrder) {
  SaveUserSettings(profile_, kPath, Settings{});
  EXPECT_EQ(
      SettingsFile(),
      "[User]\r\nLanguage=\r\nKWh_Cost=0\r\nTemp_Units=1\r\nSpeed_Units=1\r\nInt_Adjust=0\r\n"
      "Int_Adjust_Rel=0\r\nInt_Adj_Rel_To=0\r\nExt_Adjust=0\r\nExt_Adjust_Rel=0\r\nExt_Adj_Rel_To=0\r\n"
      "SUN_Adjust=0\r\nSUN_Adj_Straight=0\r\nSUN_Adj_Curve=0\r\nAuto_HP=0\r\nHP_Cont=0\r\nAuto_Fan=0\r\n"
      "Cont_Fan=0\r\nFan_Speed=0\r\nSUNNY_Econo_Mode=0\r\nSUN_Floor=50%\r\nExt_Temp_Floor=10\r\n"
      "Temp_SetBack=1\r\nCOLD_Mode=0\r\nWIND_Floor=30\r\nExt_Temp_Ceil=-20\r\nTemp_SetForward=1\r\n");
}

TEST_F(SettingsSaveTest, WindFloorIsWrittenWithOneDecimal) {
  settings_.WIND_Floor = 30.58f;
  SaveUserSettings(profile_, kPath, settings_);
  EXPECT_EQ(SavedValue("WIND_Floor"), "30.6");
  settings_.WIND_Floor = 30.04f;
  SaveUserSettings(profile_, kPath, settings_);
  EXPECT_EQ(SavedValue("WIND_Floor"), "30");
}

TEST_F(SettingsSaveTest, TemperaturesAreWrittenWithAtMostTwoDecimals) {
  settings_.Int_Adjust = -1.234f;
  settings_.SUN_Adj_Curve = 2.345678f;
  settings_.Ext_Temp_Floor = 12.5f;
  settings_.Ext_Temp_Ceil = -20.126f;
  settings_.Temp_SetBack = 1.005f;  // stored just below 1.005
  SaveUserSettings(profile_, kPath, settings_);
  EXPECT_EQ(SavedValue("Int_Adjust"), "-1.23");
  EXPECT_EQ(SavedValue("SUN_Adj_Curve"), "2.35");
  EXPECT_EQ(SavedValue("Ext_Temp_Floor"), "12.5");
  EXPECT_EQ(SavedValue("Ext_Temp_Ceil"), "-20.13");
  EXPECT_EQ(SavedValue("Temp_SetBack"), "1");
}

TEST_F(SettingsSaveTest, CostAndSunFloorKeepSevenDigits) {
  settings_.KWh_Cost = 0.1234567891f;
  settings_.SUN_Floor = 62.125f;
  SaveUserSettings(profile_, kPath, settings_);
  EXPECT_EQ(SavedValue("KWh_Cost"), "0.1234568");
  EXPECT_EQ(SavedValue("SUN_Floor"), "62.125%");
}

TEST_F(SettingsSaveTest, FlagsIntegersAndLanguageArePlainText) {
  settings_.Cont_Fan = 2;
  settings_.HP_Cont = 65535;
  settings_.Language =
      "Fran\xE7"
      "ais";
  SaveUserSettings(profile_, kPath, settings_);
  EXPECT_EQ(SavedValue("Cont_Fan"), "2");
  EXPECT_EQ(SavedValue("HP_Cont"), "65535");
  EXPECT_EQ(SavedValue("Language"),
            "Fran\xE7"
            "ais");
}

TEST_F(SettingsSaveTest, SaveKeepsOtherSectionsCommentsAndUnsavedKeys) {
  WriteSettingsFile(
      "; Kelvora\r\n[System]\r\nTemp_Dwell=0.05\r\n\r\n[User]\r\nWIND_Adjust=1.2\r\ncold_mode = 1\r\n; "
      "end\r\n"
      "[Config]\nHP=1\n");
  SaveUserSettings(profile_, kPath, settings_);
  EXPECT_EQ(
      SettingsFile(),
      "; Kelvora\r\n[System]\r\nTemp_Dwell=0.05\r\n\r\n[User]\r\nWIND_Adjust=1.2\r\ncold_mode = 0\r\n"
      "Language=\r\nKWh_Cost=0\r\nTemp_Units=1\r\nSpeed_Units=1\r\nInt_Adjust=0\r\n"
      "Int_Adjust_Rel=0\r\nInt_Adj_Rel_To=0\r\nExt_Adjust=0\r\nExt_Adjust_Rel=0\r\nExt_Adj_Rel_To=0\r\n"
      "SUN_Adjust=0\r\nSUN_Adj_Straight=0\r\nSUN_Adj_Curve=0\r\nAuto_HP=0\r\nHP_Cont=0\r\nAuto_Fan=0\r\n"
      "Cont_Fan=0\r\nFan_Speed=0\r\nSUNNY_Econo_Mode=0\r\nSUN_Floor=50%\r\nExt_Temp_Floor=10\r\n"
      "Temp_SetBack=1\r\nWIND_Floor=30\r\nExt_Temp_Ceil=-20\r\nTemp_SetForward=1\r\n; end\r\n"
      "[Config]\nHP=1\n");
}

TEST_F(SettingsSaveTest, SavedValuesLoadBackUnchanged) {
  Settings saved;
  saved.tempUnits = 0;
  saved.KWh_Cost = 0.12f;
  saved.Int_Adjust = -1.25f;
  saved.Ext_Adj_Rel_To = 18.5f;
  saved.SUN_Floor = 75.0f;
  saved.WIND_Floor = 25.5f;
  saved.Ext_Temp_Ceil = -12.5f;
  saved.Auto_Fan = 1;
  saved.Cont_Fan = 2;
  SaveUserSettings(profile_, kPath, saved);
  Load();
  EXPECT_EQ(settings_, saved);
}

TEST_F(SettingsSaveTest, SunSensorCeilIsWrittenWithAPercentSign) {
  WriteSunSensorCeil(profile_, kPath, 87.5f);
  EXPECT_EQ(SettingsFile(), "[System]\r\nSun_Sensor_Ceil=87.5%\r\n");
  Load();
  EXPECT_EQ(settings_.Sun_Sensor_Ceil, 87.5f);
}

TEST_F(SettingsSaveTest, FailedSaveIsSilentAndKeepsTheFile) {
  WriteSettingsFile("[User]\r\nCOLD_Mode=1\r\n");
  files_.InjectFaultForTesting(FileOp::kWrite, "Settings.ini");
  SaveUserSettings(profile_, kPath, settings_);
  EXPECT_EQ(SettingsFile(), "[User]\r\nCOLD_Mode=1\r\n");
  EXPECT_TRUE(handler_.errors.empty());
}

}  // namespace
}  // namespace kelvora
