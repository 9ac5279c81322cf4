// Whole days of the program on a virtual clock: the midnight close, the
// restart in the middle of a day, a clock set back and the File menu's ends.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "Functions/record.h"
#include "Monitor/Monitor.h"
#include "Monitor/control/cycle_log.h"
#include "tests/support/program_fixture.h"

namespace kelvora::testing {
namespace {

class DayTest : public ProgramFixture {
 protected:
  bool Exists(const std::string& name) { return std::filesystem::exists(DataFile(name)); }
};

// The stamp freezes on a quarter hour, 03:00:00: the quarter-hour step
// still runs only when the clock reaches one.
TEST_F(DayTest, AClockSetBackFreezesTheStampButNotTheControl) {
  Program& p = Started("2019-06-15 02:59:50");
  while (p.State().clock.clockSeconds < 3 * 3600) RunFor(p, 1);
  int32_t stamp = p.State().clock.clockSeconds;
  ASSERT_EQ(stamp, 3 * 3600);
  int passes = p.PassCount();
  int quarters = p.State().control.quarterRows;
  clock.Set(TimeAt("2019-06-15 02:00:05"));
  RunFor(p, 30);
  EXPECT_EQ(p.State().clock.clockSeconds, stamp);
  EXPECT_GE(p.PassCount(), passes + 29);
  EXPECT_EQ(p.State().control.quarterRows, quarters);
}

// Day files left on 30 June and a start on 1 July: the 30 June record
// belongs to the ended season.
TEST_F(DayTest, TheSeasonTurnsWithEveryRecordInItsSeason) {
  Program& june = Started("2019-06-29 23:59:00");
  RunFor(june, 120);
  june.SaveDayState();  // the run ends on 30 June without closing it
  program.reset();
  Program& july = Started("2019-07-01 08:00:00");
  RunFor(july, 5);
  std::string ended = ReadFileBytes(DataFile("History/TEMP.19"));
  ASSERT_EQ(ended.size(), 2u * 52);
  EXPECT_EQ(ended.substr(52, 8), "19/06/30");
  EXPECT_EQ(ReadFileBytes(DataFile("TEMP.DAT")), "");
}

TEST_F(DayTest, QuitClosesARunningCycleAndSavesTheDay) {
  Program& p = Started("2019-06-15 14:00:00");
  RunFor(p, 5);
  StartCycleRow(p.State().control, CycleCode::kHeating, 50000, 18, -4);
  std::string cycles;
  p.SetDayStateSaverForTesting(
      [&](Program& running) { cycles = std::to_string(running.State().control.cycleIndex); });
  int before = p.State().control.cycleIndex;
  EXPECT_EQ(ExitOf([&] { p.Quit(); }), 0);
  EXPECT_EQ(cycles, std::to_string(before + 1));
}

// Thrown from inside a file operation: the process dies there, as on a kill.
struct Killed {};

// The season file's dates, record by record.
std::vector<std::string> SeasonDates(const std::string& season) {
  std::vector<std::string> dates;
  for (size_t at = 0; at + 52 <= season.size(); at += 52) dates.push_back(season.substr(at, 8));
  return dates;
}

TEST_F(DayTest, AMidnightCloseKilledAtAnyRemovalEndsAsAnUninterruptedOne) {
  for (const std::string dying : {"CYCLE.DAT", "STAT.DAT"}) {
    std::filesystem::remove_all(home.path() + "/DATA");
    Program& p = Started("2019-06-15 23:58:00");
    RunFor(p, 60);
    faults.SetOperationHook([&](int, FileOp op, const std::string& path) -> int {
      if (op == FileOp::kRemove && path.ends_with(dying)) throw Killed{};
      return 0;
    });
    EXPECT_THROW(RunFor(p, 120), Killed) << dying;
    faults.SetOperationHook(nullptr);
    program.reset();
    clock.Set(TimeAt("2019-06-16 00:05:00"));
    Program& restarted = Started("2019-06-16 00:05:00");
    RunFor(restarted, 5);
    EXPECT_EQ(SeasonDates(ReadFileBytes(DataFile("TEMP.DAT"))), std::vector<std::string>{"19/06/15"})
        << dying;
    // The new day's table starts with its own off row, not yesterday's rows.
    EXPECT_EQ(restarted.State().control.cycleIndex, 1) << dying;
    program.reset();
  }
}

TEST_F(DayTest, AStopAtStartUpSavesTheRestoredDayNotAnEmptyOne) {
  Program& first = Started("2019-06-15 14:00:00");
  RunFor(first, 120);
  first.SaveDayState();
  float weight = first.State().statistics.day.dayWeightSeconds;
  ASSERT_GT(weight, 0);
  program.reset();
  std::filesystem::remove(DataFile("TEMP.DAT"));
  std::filesystem::create_directory(DataFile("TEMP.DAT"));  // cannot be opened
  Program& second = Make();
  std::vector<float> saved;
  second.SetDayStateSaverForTesting(
      [&](Program& p) { saved.push_back(p.State().statistics.day.dayWeightSeconds); });
  EXPECT_EQ(ExitOf([&] { second.StartUp(); }), kExitStoppedByError);
  for (float seconds : saved) EXPECT_GE(seconds, weight);
}

TEST_F(DayTest, DayFilesLaterThanTheClockAreKeptAsideAndTheSeasonStays) {
  Program& first = Started("2019-06-16 10:00:00");
  RunFor(first, 60);
  first.SaveDayState();
  program.reset();
  // A season file whose last day is that later one, and the clock set back.
  Program& second = Started("2019-06-15 23:00:00");
  RunFor(second, 5);
  EXPECT_TRUE(Exists("STAT.DAT.later"));
  EXPECT_NE(ui.console.find("STAT.DAT is dated 19/06/16, later than today"), std::string::npos);
  EXPECT_EQ(SeasonDates(ReadFileBytes(DataFile("TEMP.DAT"))), std::vector<std::string>{});
  RunFor(second, 3600);  // through midnight into the 16th
  program.reset();
  Program& third = Started("2019-06-16 00:30:00");
  RunFor(third, 5);
  EXPECT_TRUE(std::filesystem::is_empty(home.path() + "/DATA/History"));
  EXPECT_EQ(SeasonDates(ReadFileBytes(DataFile("TEMP.DAT"))), std::vector<std::string>{"19/06/15"});
}

TEST_F(DayTest, ExitWithoutSaveKeepsTheDayFilesOfASimulatedRun) {
  Program& p = Started("2019-06-15 14:00:00");
  RunFor(p, 5);
  p.SaveStats();
  EXPECT_EQ(ExitOf([&] { p.ExitWithoutSave(); }), 0);
  EXPECT_TRUE(Exists("STAT.DAT"));
  EXPECT_TRUE(Exists("CYCLE.DAT"));
}

}  // namespace
}  // namespace kelvora::testing
