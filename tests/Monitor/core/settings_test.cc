#include "Monitor/core/settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <string>

#include "tests/support/test_host.h"

namespace kelvora::testing {
namespace {

constexpr std::string_view kPath = "..\\Settings.ini";

// The settings file beside the "DATA" directory, as at run time.
class SettingsTest : public ::testing::Test {
 protected:
  void WriteSettingsFile(const std::string& bytes) { WriteFileBytes(host.home.File("Settings.ini"), bytes); }
  std::string SettingsFile() const { return ReadFileBytes(host.home.File("Settings.ini")); }
  void Load() { LoadSettings(host.Profile(), kPath, settings, simulationMode); }
  void LoadFrom(const std::string& bytes) {
    WriteSettingsFile(bytes);
    Load();
  }

  TestHost host;
  Settings settings;
  uint8_t simulationMode = 0;
};

// Each file loaded over the initial values gives them with only the named
// changes: a key's leading number or zero, cut to its read width, integers
// rounded half to even and clamped to their type, a float beyond a single
// kept, the corrections, and the first of duplicate sections and keys.
TEST_F(SettingsTest, EachKeyLoadsItsConvertedAndCorrectedValue) {
  const struct {
    std::string text;
    std::function<void(Settings&)> change;
  } cases[] = {
      {"[User]\r\nSUN_Floor=75%\r\n", [](Settings& s) { s.SUN_Floor = 75; }},
      {"[User]\r\nSUN_Floor=abc\r\n", [](Settings& s) { s.SUN_Floor = 0; }},
      {"[User]\r\nKWh_Cost=0.125\r\nTemp_Units=10\r\nInt_Adjust=-1.257\r\n",
       [](Settings& s) { s.KWh_Cost = 0.12f, s.tempUnits = 1, s.Int_Adjust = -1.25f; }},
      {"[System]\r\nDay_Range=44.5\r\n[Config]\r\nHT=1.5\r\n",
       [](Settings& s) { s.Day_Range = 44, s.HT = 2; }},
      {"[System]\r\nInert_Deg=-40000\r\nDay_Range=70000\r\nYear_Range=-3\r\n[Config]\r\nHT=300\r\n",
       [](Settings& s) { s.Inert_Deg = -32768, s.Day_Range = 65535, s.Year_Range = 0, s.HT = 255; }},
      {"[System]\r\nTemp_Dwell=1e999\r\n[Demo]\r\nD_Wind=1e39\r\n", [](Settings&) {}},
      {"[User]\r\nWIND_Adjust=0\r\n", [](Settings& s) { s.WIND_Adjust = 1; }},
      {"[User]\r\nWIND_Adjust=-0.5\r\n", [](Settings& s) { s.WIND_Adjust = 1; }},
      {"[User]\r\nWIND_Adjust=0.8\r\n", [](Settings& s) { s.WIND_Adjust = 0.8f; }},
      {"[System]\r\nTemp_Dwell=2\r\nHP_SetForward=1.5\r\n",
       [](Settings& s) { s.Temp_Dwell = s.HP_SetForward = 1; }},
      // Only the magnitude is used: -3 would have the burner wait for a 3 degree fall.
      {"[System]\r\nTemp_Dwell=-3\r\nHP_SetForward=-1.5\r\n",
       [](Settings& s) { s.Temp_Dwell = s.HP_SetForward = -1; }},
      // Raised to Temp_Dwell only when asked (RaiseHeatPumpSetForward).
      {"[System]\r\nHP_SetForward=0.01\r\n", [](Settings& s) { s.HP_SetForward = 0.01f; }},
      {"[User]\r\nAuto_HP=1\r\nHP_Cont=1\r\n[Config]\r\nHP=1\r\n",
       [](Settings& s) { s.Auto_HP = s.HP_Cont = s.HP = 1; }},
      {"[User]\r\nAuto_HP=1\r\nHP_Cont=1\r\n[Config]\r\nHP=2\r\n", [](Settings&) {}},
      // "Français" in Windows-1252 and in UTF-8; other names change nothing.
      {"[User]\r\nLanguage=Fran\347ais\r\n",
       [](Settings& s) { s.Language = "Fran\347ais", s.languageFrench = 1; }},
      {"[User]\r\nLanguage=Fran\u00e7ais\r\n",
       [](Settings& s) { s.Language = "Fran\u00e7ais", s.languageFrench = 1; }},
      {"[User]\r\nLanguage=fran\347ais\r\n", [](Settings& s) { s.Language = "fran\347ais"; }},
      {"[User]\r\nCOLD_Mode=1\r\nCOLD_Mode=0\r\n[Config]\r\n[User]\r\nAuto_Fan=1\r\nCOLD_Mode=0",
       [](Settings& s) { s.COLD_Mode = 1; }},
      {"[Config]\r\nHP=1", [](Settings& s) { s.HP = 1; }},
      {"[System]\r\nSun_Sensor_Ceil=87.5%\r\n", [](Settings& s) { s.Sun_Sensor_Ceil = 87.5f; }},
      {"[User]\r\nKWh_Cost=" + std::string(size_t{1000} * 1000, '9') + "\r\nCOLD_Mode=1\r\n",
       [](Settings& s) { s.KWh_Cost = 9999, s.COLD_Mode = 1; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 80));
    Settings expected;
    c.change(expected);
    settings = Settings{};
    LoadFrom(c.text);
    EXPECT_TRUE(settings == expected);
  }
}

// The language flag is the one value a load never clears.
TEST_F(SettingsTest, OtherLanguagesLeaveTheLanguageUnchanged) {
  settings.languageFrench = 1;
  LoadFrom("[User]\r\nLanguage=English\r\n");
  EXPECT_EQ(settings.languageFrench, 1);
}

TEST_F(SettingsTest, MissingKeysLeaveCurrentValuesBitForBit) {
  settings.Temp_Dwell = 0.0411111f;
  settings.SUN_Floor = 62.5f;
  settings.Inert_Deg = -400;
  Settings before = settings;
  LoadFrom("[User]\r\n[System]\r\n");
  EXPECT_EQ(settings, before);
}

TEST_F(SettingsTest, HeatPumpSetForwardIsRaisedToTempDwellOnlyWhenBelowIt) {
  settings.Temp_Dwell = 0.04f;
  settings.HP_SetForward = 0.01f;
  RaiseHeatPumpSetForward(settings);
  EXPECT_EQ(settings.HP_SetForward, 0.04f);
  settings.HP_SetForward = 0.5f;
  RaiseHeatPumpSetForward(settings);
  EXPECT_EQ(settings.HP_SetForward, 0.5f);
}

TEST_F(SettingsTest, SimModeZeroClearsTheSimulationAndNonZeroForcesIt) {
  simulationMode = 1;
  LoadFrom("[System]\r\nSim_Mode=0\r\n");
  EXPECT_EQ(simulationMode, 0);
  LoadFrom("[System]\r\nSim_Mode=7\r\n");
  EXPECT_EQ(simulationMode, 1);
}

TEST_F(SettingsTest, BinaryGarbageLoadsIntoUsableValues) {
  std::mt19937 random(20240601);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int round = 0; round < 20; ++round) {
    std::string garbage = "[User]\r\n[System]\n[Config]\r";
    for (int i = 0; i < 4000; ++i) garbage += static_cast<char>(byte(random));
    settings = Settings{};
    LoadFrom(garbage + "\r\n[Demo]\r\nD_Wind=33\r\n");
    EXPECT_TRUE(std::isfinite(settings.KWh_Cost) && std::isfinite(settings.Sun_Sensor_Ceil));
    EXPECT_GT(settings.WIND_Adjust, 0.0f);
    EXPECT_LE(std::fabs(settings.Temp_Dwell), 1.0f);
    EXPECT_EQ(settings.D_Wind, 33.0f);
  }
}

TEST_F(SettingsTest, IsaPortReadsHexadecimalClampedToSixteenBits) {
  EXPECT_EQ(ReadIsaPort(host.Profile(), kPath, 0x2A0), 0x2A0);
  WriteSettingsFile("[Config]\r\nISA_Port=&h3000000\r\n");
  EXPECT_EQ(ReadIsaPort(host.Profile(), kPath, 0), 65535);
}

// The [User] keys of Settings{} as a save writes them, in the dialog's order.
const std::string kSavedInitialUserKeys =
    "Language=\r\nKWh_Cost=0\r\nTemp_Units=1\r\nSpeed_Units=1\r\nInt_Adjust=0\r\n"
    "Int_Adjust_Rel=0\r\nInt_Adj_Rel_To=0\r\nExt_Adjust=0\r\nExt_Adjust_Rel=0\r\nExt_Adj_Rel_To=0\r\n"
    "SUN_Adjust=0\r\nSUN_Adj_Straight=0\r\nSUN_Adj_Curve=0\r\nAuto_HP=0\r\nHP_Cont=0\r\nAuto_Fan=0\r\n"
    "Cont_Fan=0\r\nFan_Speed=0\r\nSUNNY_Econo_Mode=0\r\nSUN_Floor=50%\r\nExt_Temp_Floor=10\r\n"
    "Temp_SetBack=1\r\nCOLD_Mode=0\r\nWIND_Floor=30\r\nExt_Temp_Ceil=-20\r\nTemp_SetForward=1\r\n";

TEST_F(SettingsTest, SaveWritesTheUserKeysInTheDialogsOrderAndKeepsTheRest) {
  SaveUserSettings(host.Profile(), kPath, Settings{});
  EXPECT_EQ(SettingsFile(), "[User]\r\n" + kSavedInitialUserKeys);
  const std::string head = "; Kelvora\r\n[System]\r\nTemp_Dwell=0.05\r\n\r\n[User]\r\nWIND_Adjust=1.2\r\n";
  const std::string tail = "; end\r\n[Config]\nHP=1\n";
  WriteSettingsFile(head + tail);
  SaveUserSettings(host.Profile(), kPath, settings);
  EXPECT_EQ(SettingsFile(), head + kSavedInitialUserKeys + tail);
}

TEST_F(SettingsTest, EachKeyIsWrittenInItsNumberForm) {
  settings.WIND_Floor = 30.58f;
  settings.Int_Adjust = -1.234f;
  settings.SUN_Adj_Curve = 2.345678f;
  settings.Temp_SetBack = 1.005f;
  settings.KWh_Cost = 0.1234567891f;
  settings.SUN_Floor = 62.125f;
  settings.Language = "Fran\347ais";
  SaveUserSettings(host.Profile(), kPath, settings);
  const std::string file = SettingsFile();
  // One decimal, two, seven digits, and seven digits with a percent sign;
  // 1.005 is stored just below itself.
  for (const char* line :
       {"\nWIND_Floor=30.6\r", "\nInt_Adjust=-1.23\r", "\nSUN_Adj_Curve=2.35\r", "\nTemp_SetBack=1\r",
        "\nKWh_Cost=0.1234568\r", "\nSUN_Floor=62.125%\r", "\nLanguage=Fran\347ais\r"})
    EXPECT_NE(file.find(line), std::string::npos) << line;
}

TEST_F(SettingsTest, SavedValuesLoadBackUnchanged) {
  Settings saved;
  saved.KWh_Cost = 0.12f;
  saved.Int_Adjust = -1.25f;
  saved.SUN_Floor = 75.0f;
  saved.Cont_Fan = 2;
  SaveUserSettings(host.Profile(), kPath, saved);
  Load();
  EXPECT_EQ(settings, saved);
}

}  // namespace
}  // namespace kelvora::testing
