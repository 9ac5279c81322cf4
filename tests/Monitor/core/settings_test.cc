#include "Monitor/core/settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "platform/file_layer.h"
#include "platform/posix_file_layer.h"
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
  PosixFileLayer files_;
  PrivateProfile profile_;
  Settings settings_;
  uint8_t simulationMode_ = 0;
};

// --- Initial values and a missing file -------------------------------------

class SettingsLoadTest : public SettingsFileTest {};

TEST_F(SettingsLoadTest, MissingKeysLeaveCurrentValuesBitForBit) {
  settings_.Temp_Dwell = 0.0411111f;
  settings_.SUN_Floor = 62.5f;
  settings_.Inert_Deg = -400;
  Settings before = settings_;
  LoadFrom("[User]\r\n[System]\r\n");
  EXPECT_EQ(settings_, before);
}

// --- Conversions -------------------------------------------------------------

TEST_F(SettingsLoadTest, ValuesReadTheirLeadingNumberOrZero) {
  LoadFrom("[User]\r\nSUN_Floor=75%\r\n");
  EXPECT_EQ(settings_.SUN_Floor, 75.0f);
  LoadFrom("[User]\r\nSUN_Floor=abc\r\n");
  EXPECT_EQ(settings_.SUN_Floor, 0.0f);
}

TEST_F(SettingsLoadTest, ValuesAreCutToTheirReadWidthBeforeConversion) {
  LoadFrom("[User]\r\nKWh_Cost=0.125\r\nTemp_Units=10\r\nInt_Adjust=-1.257\r\n");
  EXPECT_EQ(settings_.KWh_Cost, 0.12f);
  EXPECT_EQ(settings_.tempUnits, 1);
  EXPECT_EQ(settings_.Int_Adjust, -1.25f);
}

TEST_F(SettingsLoadTest, IntegerKeysRoundHalvesToTheEvenNeighbour) {
  LoadFrom("[System]\r\nDay_Range=44.5\r\n[Config]\r\nHT=1.5\r\n");
  EXPECT_EQ(settings_.Day_Range, 44);
  EXPECT_EQ(settings_.HT, 2);
}

TEST_F(SettingsLoadTest, IntegersBeyondTheirTypeAreClampedToItsRange) {
  LoadFrom("[System]\r\nInert_Deg=-40000\r\nDay_Range=70000\r\nYear_Range=-3\r\n[Config]\r\nHT=300\r\n");
  EXPECT_EQ(settings_.Inert_Deg, -32768);
  EXPECT_EQ(settings_.Day_Range, 65535);
  EXPECT_EQ(settings_.Year_Range, 0);
  EXPECT_EQ(settings_.HT, 255);
}

TEST_F(SettingsLoadTest, FloatBeyondASingleKeepsThePreviousValue) {
  LoadFrom("[System]\r\nTemp_Dwell=1e999\r\n[Demo]\r\nD_Wind=1e39\r\n");
  EXPECT_EQ(settings_.Temp_Dwell, 0.04f);
  EXPECT_EQ(settings_.D_Wind, 20.0f);
}

// --- Corrections -------------------------------------------------------------

TEST_F(SettingsLoadTest, WindAdjustAtOrBelowZeroBecomesOne) {
  LoadFrom("[User]\r\nWIND_Adjust=0\r\n");
  EXPECT_EQ(settings_.WIND_Adjust, 1.0f);
  LoadFrom("[User]\r\nWIND_Adjust=-0.5\r\n");
  EXPECT_EQ(settings_.WIND_Adjust, 1.0f);
  LoadFrom("[User]\r\nWIND_Adjust=0.8\r\n");
  EXPECT_EQ(settings_.WIND_Adjust, 0.8f);
}

TEST_F(SettingsLoadTest, TempDwellAndHeatPumpSetForwardAreLimitedToOneEitherWay) {
  LoadFrom("[System]\r\nTemp_Dwell=2\r\nHP_SetForward=1.5\r\n");
  EXPECT_EQ(settings_.Temp_Dwell, 1.0f);
  EXPECT_EQ(settings_.HP_SetForward, 1.0f);
  // Only the magnitude is used: -3 would have the burner wait for a 3 degree fall.
  LoadFrom("[System]\r\nTemp_Dwell=-3\r\nHP_SetForward=-1.5\r\n");
  EXPECT_EQ(settings_.Temp_Dwell, -1.0f);
  EXPECT_EQ(settings_.HP_SetForward, -1.0f);
}

TEST_F(SettingsLoadTest, HeatPumpSetForwardIsRaisedToTempDwellOnlyWhenAsked) {
  LoadFrom("[System]\r\nHP_SetForward=0.01\r\nTemp_Dwell=0.04\r\n");
  EXPECT_EQ(settings_.HP_SetForward, 0.01f);
  RaiseHeatPumpSetForward(settings_);
  EXPECT_EQ(settings_.HP_SetForward, 0.04f);
  settings_.HP_SetForward = 0.5f;
  RaiseHeatPumpSetForward(settings_);
  EXPECT_EQ(settings_.HP_SetForward, 0.5f);
}

TEST_F(SettingsLoadTest, HeatPumpKeysAreClearedUnlessHpIsOne) {
  LoadFrom("[User]\r\nAuto_HP=1\r\nHP_Cont=1\r\n[Config]\r\nHP=1\r\n");
  EXPECT_EQ(settings_.HP_Cont, 1);
  LoadFrom("[User]\r\nAuto_HP=1\r\nHP_Cont=1\r\n[Config]\r\nHP=2\r\n");
  EXPECT_EQ(settings_.HP, 0);
  EXPECT_EQ(settings_.Auto_HP, 0);
  EXPECT_EQ(settings_.HP_Cont, 0);
}

// --- Simulation mode and language --------------------------------------------

TEST_F(SettingsLoadTest, SimModeZeroClearsTheSimulationAndNonZeroForcesIt) {
  simulationMode_ = 1;
  LoadFrom("[System]\r\nSim_Mode=0\r\n");
  EXPECT_EQ(simulationMode_, 0);
  LoadFrom("[System]\r\nSim_Mode=7\r\n");
  EXPECT_EQ(simulationMode_, 1);
}

// Fran\347ais is "Français" in Windows-1252, Fran\u00e7ais the same in UTF-8.
TEST_F(SettingsLoadTest, FrancaisInWindows1252OrUtf8SelectsFrench) {
  LoadFrom("[User]\r\nLanguage=Fran\347ais\r\n");
  EXPECT_EQ(settings_.Language, "Fran\347ais");
  EXPECT_EQ(settings_.languageFrench, 1);
  settings_.languageFrench = 0;
  LoadFrom("[User]\r\nLanguage=Fran\u00e7ais\r\n");
  EXPECT_EQ(settings_.languageFrench, 1);
}

TEST_F(SettingsLoadTest, OtherLanguagesLeaveTheLanguageUnchanged) {
  settings_.languageFrench = 1;
  LoadFrom("[User]\r\nLanguage=English\r\n");
  EXPECT_EQ(settings_.languageFrench, 1);
  settings_.languageFrench = 0;
  LoadFrom("[User]\r\nLanguage=fran\347ais\r\n");
  EXPECT_EQ(settings_.languageFrench, 0);
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
    EXPECT_LE(std::fabs(settings_.Temp_Dwell), 1.0f);
    EXPECT_EQ(settings_.D_Wind, 33.0f);
  }
}

// --- The card detection's key ----------------------------------------------------

TEST_F(SettingsLoadTest, IsaPortReadsHexadecimalClampedToSixteenBits) {
  EXPECT_EQ(ReadIsaPort(profile_, kPath, 0x2A0), 0x2A0);
  WriteSettingsFile("[Config]\r\nISA_Port=&h300\r\n");
  EXPECT_EQ(ReadIsaPort(profile_, kPath, 0), 0x300);
  WriteSettingsFile("[Config]\r\nISA_Port=&h3000000\r\n");
  EXPECT_EQ(ReadIsaPort(profile_, kPath, 0), 65535);
}

// --- Writing -----------------------------------------------------------------

// The [User] keys of Settings{} as a save writes them, in the dialog's order.
const std::string kSavedInitialUserKeys =
    "Language=\r\nKWh_Cost=0\r\nTemp_Units=1\r\nSpeed_Units=1\r\nInt_Adjust=0\r\n"
    "Int_Adjust_Rel=0\r\nInt_Adj_Rel_To=0\r\nExt_Adjust=0\r\nExt_Adjust_Rel=0\r\nExt_Adj_Rel_To=0\r\n"
    "SUN_Adjust=0\r\nSUN_Adj_Straight=0\r\nSUN_Adj_Curve=0\r\nAuto_HP=0\r\nHP_Cont=0\r\nAuto_Fan=0\r\n"
    "Cont_Fan=0\r\nFan_Speed=0\r\nSUNNY_Econo_Mode=0\r\nSUN_Floor=50%\r\nExt_Temp_Floor=10\r\n"
    "Temp_SetBack=1\r\nCOLD_Mode=0\r\nWIND_Floor=30\r\nExt_Temp_Ceil=-20\r\nTemp_SetForward=1\r\n";

class SettingsSaveTest : public SettingsFileTest {
 protected:
  std::string SavedValue(std::string_view key) { return profile_.Read("User", key, "<missing>", 64, kPath); }
};

TEST_F(SettingsSaveTest, EmptyFileGetsTheUserKeysInTheDialogsOrder) {
  SaveUserSettings(profile_, kPath, Settings{});
  EXPECT_EQ(SettingsFile(), "[User]\r\n" + kSavedInitialUserKeys);
}

TEST_F(SettingsSaveTest, EachKeyIsWrittenInItsNumberForm) {
  settings_.WIND_Floor = 30.58f;
  settings_.Int_Adjust = -1.234f;
  settings_.SUN_Adj_Curve = 2.345678f;
  settings_.Temp_SetBack = 1.005f;
  settings_.KWh_Cost = 0.1234567891f;
  settings_.SUN_Floor = 62.125f;
  settings_.Language = "Fran\347ais";
  SaveUserSettings(profile_, kPath, settings_);
  EXPECT_EQ(SavedValue("WIND_Floor"), "30.6");   // one decimal
  EXPECT_EQ(SavedValue("Int_Adjust"), "-1.23");  // two decimals
  EXPECT_EQ(SavedValue("SUN_Adj_Curve"), "2.35");
  EXPECT_EQ(SavedValue("Temp_SetBack"), "1");      // stored just below 1.005
  EXPECT_EQ(SavedValue("KWh_Cost"), "0.1234568");  // seven digits
  EXPECT_EQ(SavedValue("SUN_Floor"), "62.125%");   // seven digits and a percent sign
  EXPECT_EQ(SavedValue("Language"), "Fran\347ais");
}

TEST_F(SettingsSaveTest, SaveKeepsOtherSectionsCommentsAndUnsavedKeys) {
  const std::string head = "; Kelvora\r\n[System]\r\nTemp_Dwell=0.05\r\n\r\n[User]\r\nWIND_Adjust=1.2\r\n";
  const std::string tail = "; end\r\n[Config]\nHP=1\n";
  WriteSettingsFile(head + tail);
  SaveUserSettings(profile_, kPath, settings_);
  EXPECT_EQ(SettingsFile(), head + kSavedInitialUserKeys + tail);
}

TEST_F(SettingsSaveTest, SavedValuesLoadBackUnchanged) {
  Settings saved;
  saved.KWh_Cost = 0.12f;
  saved.Int_Adjust = -1.25f;
  saved.SUN_Floor = 75.0f;
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

}  // namespace
}  // namespace kelvora
