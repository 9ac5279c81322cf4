// The heating of a whole simulated house on the virtual clock: what the
// control pass does with the schedule at a start, through a night and at
// midnight.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sstream>

#include "Functions/record.h"
#include "Monitor/control/cycle_log.h"
#include "tests/support/program_fixture.h"

namespace kelvora::testing {
namespace {

class ScenarioTest : public ProgramFixture {
 protected:
  // A home whose one program, DEFAULT, has `steps` ("hh:mm,temperature"
  // lines), with the simulated house at `interior` in a windy frost that
  // asks for the COLD correction.
  void Home(const std::string& steps, float interior) {
    std::filesystem::create_directories(home.path() + "/DATA");
    WriteSettings(
        "[User]\r\nCOLD_Mode=1\r\nWIND_Floor=5\r\nExt_Temp_Ceil=0\r\nTemp_SetForward=1\r\n"
        "SUNNY_Econo_Mode=0\r\n[System]\r\nSim_Mode=1\r\nInert_Deg=3\r\nTemp_Dwell=0.04\r\n"
        "[Demo]\r\nD_Int_Temp=" +
        std::to_string(interior) + "\r\nD_Ext_Temp=-8\r\nD_Wind=15\r\n");
    std::string programs;
    std::istringstream lines(steps);
    for (std::string step; std::getline(lines, step);) programs += "DEFAULT," + step + "\r\n";
    WriteFileBytes(DataFile("PROGRAMS.prg"), programs);
    for (const char* name : {"DAYS.prg", "HOLIDAYS.prg", "HOURS.prg", "TEMPS.prg"})
      WriteFileBytes(DataFile(name), "");
  }

  static bool BurnerRowOpened(const ControlState& c) {
    for (int row = 1; row <= c.cycleIndex; ++row) {
      if (c.cycleLog(row, kCycleState) == 1 || c.cycleLog(row, kCycleState) == -1) return true;
    }
    return false;
  }
};

constexpr const char* kDay = "00:00,17\n06:30,21\n22:30,17";

// The simulated house starts where it is told, whatever the hour; below the
// set-back it is heated at once.
TEST_F(ScenarioTest, AStartInTheSetbackWithTheHouseBelowItHeatsWithinAMinute) {
  for (const char* start : {"2019-06-15 03:00:00", "2019-06-15 23:00:00"}) {
    Home(kDay, 16.5f);
    Program& p = Started(start);
    RunFor(p, 2);
    EXPECT_NEAR(p.State().control.interiorTemp, 16.5f, 0.3f) << start;
    RunFor(p, 58);
    const ControlState& c = p.State().control;
    EXPECT_EQ(c.heatMode, HeatMode::kSetBack) << start;
    EXPECT_EQ(c.setpoint, 18) << start;  // 17 and the COLD degree
    EXPECT_EQ(c.setBackActive, 1) << start;
    EXPECT_TRUE(BurnerRowOpened(c)) << start;
    program.reset();
    std::filesystem::remove_all(home.path() + "/DATA");
  }
}

TEST_F(ScenarioTest, AOneRowProgramHeatsAllDay) {
  Home("00:00,21", 19.5f);
  Program& p = Started("2019-06-15 10:00:00");
  float lowest = 99;
  RunFor(p, 4 * 3600, [&](const RunState& s, int32_t now) {
    if (now > 11 * 3600) lowest = std::min(lowest, s.control.interiorTemp);
  });
  const ControlState& c = p.State().control;
  EXPECT_EQ(c.heatMode, HeatMode::kComfort);
  EXPECT_EQ(c.setpoint, 22);
  EXPECT_GT(c.cycleIndex, 4);
  EXPECT_GT(lowest, 21);
}

TEST_F(ScenarioTest, AStartInASlotWarmerThanTheOneBeforeItIsComfort) {
  // The day ends warmer still: only the slot before counts.
  Home("00:00,17\n16:00,19\n22:00,21", 19.5f);
  Program& p = Started("2019-06-15 16:00:30");
  RunFor(p, 5);
  EXPECT_EQ(p.State().control.heatMode, HeatMode::kComfort);
  EXPECT_EQ(p.State().control.setpoint, 20);
  EXPECT_EQ(p.State().control.setBackActive, 0);
}

// A Friday that ends in comfort, a Saturday that starts and ends set back:
// at midnight Saturday's first slot is a fall from Friday's evening.
TEST_F(ScenarioTest, AfterAComfortEveningMidnightStartsTheSetback) {
  Home("", 21.5f);
  WriteFileBytes(DataFile("PROGRAMS.prg"),
                 "FRI,00:00,17\r\nFRI,06:30,21\r\nSAT,00:00,17\r\nSAT,08:00,21\r\nSAT,23:00,17\r\n");
  WriteFileBytes(DataFile("DAYS.prg"), "Friday,FRI\r\nSaturday,SAT\r\n");
  Program& p = Started("2019-06-14 23:55:00");
  RunFor(p, 60);
  EXPECT_EQ(p.State().control.heatMode, HeatMode::kComfort);
  RunFor(p, 600);
  EXPECT_EQ(p.State().control.heatMode, HeatMode::kSetBack);
  EXPECT_EQ(p.State().control.setpoint, 18);
}

// "Set back at 22:30, comfort at 06:30", written without a midnight step:
// the evening's set-back runs on through the night, a pre-heat brings the
// house to 21 and the COLD degree by 06:30 with both stages burning, and
// the learning log's line begun at 22:30 is completed.
TEST_F(ScenarioTest, ANightWithoutAMidnightStepIsSetBackThenPreheated) {
  Home("06:30,21\n22:30,17", 20.5f);
  Program& p = Started("2019-06-15 22:00:00");
  float nightHighest = 0;
  int32_t preheatStart = -1;
  int preheatPasses = 0, stageTwoOff = 0;
  float preheatLowest = 99, preheatHighest = 0;
  RunFor(p, 9 * 3600, [&](const RunState& s, int32_t now) {
    const ControlState& c = s.control;
    if (now > 1 * 3600 && now < 3 * 3600) nightHighest = std::max(nightHighest, c.interiorTemp);
    if (c.heatMode != HeatMode::kPreheat) return;
    if (preheatStart < 0) preheatStart = now;
    ++preheatPasses;
    preheatLowest = std::min(preheatLowest, c.setpoint);
    preheatHighest = std::max(preheatHighest, c.setpoint);
    if (c.heatState == HeatState::kOn && (s.card.outputByte & s.card.stage2Mask) == 0) ++stageTwoOff;
  });
  EXPECT_LT(nightHighest, 19);
  ASSERT_GT(preheatStart, 0);
  EXPECT_LT(preheatStart, 6 * 3600 + 30 * 60);
  EXPECT_GT(preheatPasses, 60);
  EXPECT_EQ(preheatLowest, 22);
  EXPECT_EQ(preheatHighest, 22);
  EXPECT_EQ(stageTwoOff, 0);
  EXPECT_EQ(p.State().control.heatMode, HeatMode::kComfort);

  std::string log = ReadFileBytes(DataFile("PH_HP.LOG"));
  std::istringstream line(log.substr(log.find_last_of('\n') + 1));
  std::vector<std::string> fields{std::istream_iterator<std::string>(line), {}};
  ASSERT_EQ(fields.size(), 14u) << log;
  EXPECT_EQ(fields[0], "19/06/15");
  EXPECT_EQ(fields[1], "22:30:00");
  EXPECT_TRUE(std::filesystem::exists(DataFile("PROJECT.DAT.bak")));
}

// Comfort in the morning and the evening, a set-back of two degrees between.
constexpr const char* kWorkday = "00:00,17\n06:30,21\n08:30,19\n16:30,21\n22:30,17";

// The programmed times of the pre-heats in the history, in the order learned.
std::vector<float> LearnedProgrammedTimes(const std::string& history) {
  std::vector<float> times;
  for (size_t at = 0; at + 120 <= history.size(); at += 120) times.push_back(Cvs(history.substr(at + 76, 4)));
  return times;
}

// With an inertia of twelve tenths, the evening's ten steps never leave it:
// there is no curve to learn from, and nothing is recorded.
TEST_F(ScenarioTest, APreheatThatEndsInItsInertiaIsNotLearned) {
  Home(kWorkday, 20.3f);
  std::string settings = ReadFileBytes(home.File("Settings.ini"));
  WriteSettings(settings.replace(settings.find("Inert_Deg=3"), 11, "Inert_Deg=12"));
  Program& p = Started("2019-06-17 14:00:00");
  RunFor(p, 3 * 3600);
  EXPECT_EQ(p.State().control.heatMode, HeatMode::kComfort);
  EXPECT_TRUE(LearnedProgrammedTimes(ReadFileBytes(DataFile("PREHEAT.DAT"))).empty());
}

}  // namespace
}  // namespace kelvora::testing
