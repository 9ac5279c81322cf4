// Start-up, `initialise`, the tick loop and ShutDown of a whole program.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "tests/support/program_fixture.h"

namespace kelvora {
namespace {

namespace fs = std::filesystem;
using testing::ProgramFixture;
using testing::ReadFileBytes;
using testing::WriteFileBytes;

class StartUpTest : public ProgramFixture {};

TEST_F(StartUpTest, FirstStartInAnEmptyDirectoryCreatesTheDataDirectory) {
  Program& p = Make();
  ASSERT_EQ(ExitOf([&] { p.StartUp(); }), std::nullopt);
  for (const char* name : {"PROGRAMS.prg", "DAYS.prg", "HOLIDAYS.prg", "HOURS.prg", "TEMPS.prg"}) {
    ASSERT_TRUE(fs::exists(DataFile(name))) << name;
    EXPECT_EQ(fs::file_size(DataFile(name)), 0u) << name;
  }
  EXPECT_TRUE(fs::is_directory(DataFile("History")));
  EXPECT_EQ(p.Files().CurrentDirectory(), home.path() + "/DATA");
}

// Even when the settings ask for the card.
TEST_F(StartUpTest, WithoutACardTheProgramSaysSoAndSimulates) {
  WriteSettings("[System]\r\nSim_Mode=0\r\n");
  Program& p = Make();
  p.StartUp();
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].request.caption, "MODE");
  EXPECT_EQ(ui.boxes[0].request.text, "NO PC Card Present:  Running in Simulation MODE");
  EXPECT_EQ(ui.boxes[0].request.icon, BoxIcon::kStop);
  EXPECT_FALSE(ui.boxes[0].request.ownedByMainWindow);
  EXPECT_EQ(p.State().card.simulationMode, 1);
  EXPECT_TRUE(ports.writes.empty());
}

// No heat pump is configured: fan high and stage 2 only; and the set-forward
// is raised to the dwell.
TEST_F(StartUpTest, InitialiseSetsTodayTheRatedPowerAndTheHeatPumpSetForward) {
  WriteSettings("[System]\r\nTemp_Dwell=0.3\r\nHP_SetForward=0.01\r\n");
  Program& p = Make();
  p.StartUp();
  EXPECT_NEAR(p.State().card.totalRatedPower, 25.9f, 1e-5);
  EXPECT_FLOAT_EQ(p.State().settings.HP_SetForward, 0.3f);
  EXPECT_EQ(p.State().clock.todayDate, "19/06/15");
  EXPECT_EQ(p.State().clock.todayWeekday, 7);  // a Saturday
  // initialise returns on a fresh second
  EXPECT_EQ(SecondsOfDay(clock.Now()), 14 * 3600 + 5 * 60 + 10);
}

TEST_F(StartUpTest, ADataDirectoryThatCannotBeCreatedEndsTheRun) {
  Program& p = Make();
  faults.InjectFault(FileOp::kMakeDir, "DATA");
  EXPECT_EQ(ExitOf([&] { p.StartUp(); }), kExitStoppedByError);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].request.caption, "PROBLEM");
  EXPECT_EQ(ui.boxes[0].request.text, "Impossible to create 'DATA' Directory in the 'HEATING' Directory");
  EXPECT_FALSE(fs::exists(home.File("DATA")));
}

// A data directory from an earlier run, with the five schedule files.
void WriteSchedules(const std::string& dataDirectory, const std::string& programs, const std::string& days) {
  fs::create_directory(dataDirectory);
  WriteFileBytes(dataDirectory + "/PROGRAMS.prg", programs);
  WriteFileBytes(dataDirectory + "/DAYS.prg", days);
  for (const char* name : {"HOLIDAYS.prg", "HOURS.prg", "TEMPS.prg"})
    WriteFileBytes(dataDirectory + "/" + name, "");
}

// A missing schedule file stops the program. The day's files were saved two
// hours before this start: the log tells when the error happened, not when
// they were saved.
TEST_F(StartUpTest, AScheduleErrorAtStartUpIsLoggedAtTheClocksTime) {
  WriteSchedules(home.File("DATA"), "", "");
  Program& first = Make();
  ASSERT_EQ(ExitOf([&] { first.StartUp(); }), std::nullopt);
  first.SaveDayState();
  program.reset();
  clock.Advance(std::chrono::hours(2));
  fs::remove(DataFile("TEMPS.prg"));

  Program& p = Make();

  EXPECT_EQ(ExitOf([&] { p.StartUp(); }), kExitStoppedByError);
  const std::string log = ReadFileBytes(DataFile("ERROR.LOG"));
  EXPECT_EQ(log.substr(0, 10), "ERROR: #2 ");
  EXPECT_NE(log.find(" at 16:05:11 Hre"), std::string::npos) << log;
}

TEST_F(StartUpTest, AHandOverLoopIsReportedOnTheConsole) {
  WriteSchedules(home.File("DATA"), "DEFAULT,06:00,20\r\nDEFAULT,EVENING,0\r\nEVENING,DEFAULT,0\r\n", "");
  Program& p = Make();
  p.StartUp();
  EXPECT_EQ(p.State().schedule.slotCount, 1);
  EXPECT_NE(ui.console.find("DEFAULT -> EVENING -> DEFAULT"), std::string::npos) << ui.console;
}

class ShutDownTest : public ProgramFixture {};

TEST_F(ShutDownTest, InSimulationTheDayFilesAreDeleted) {
  Program& p = Make();
  p.StartUp();
  for (const char* name : {"STAT.DAT", "CYCLE.DAT", "PROJECT.DAT", "TEMP.DAT"})
    WriteFileBytes(DataFile(name), "x");
  EXPECT_EQ(ExitOf([&] { p.ShutDown(); }), 0);
  for (const char* name : {"STAT.DAT", "CYCLE.DAT", "PROJECT.DAT"})
    EXPECT_FALSE(fs::exists(DataFile(name))) << name;
  EXPECT_TRUE(fs::exists(DataFile("TEMP.DAT")));
}

TEST_F(ShutDownTest, WithACardTheRelaysGoOffAndTheFilesStay) {
  Program& p = StartedWithCard(0x0D);
  WriteFileBytes(DataFile("STAT.DAT"), "x");
  FileId open = p.Files().OpenAppend("PH_HP.LOG");
  p.Files().Write(open, "line");
  EXPECT_EQ(ExitOf([&] { p.ShutDown(); }), 0);
  EXPECT_EQ(ports.LastByte(kCardPort), 0);
  EXPECT_EQ(p.State().card.outputByte, 0);
  EXPECT_FALSE(p.Files().IsOpen(open));
  EXPECT_TRUE(fs::exists(DataFile("STAT.DAT")));
}

class TickLoopTest : public ProgramFixture {};

TEST_F(TickLoopTest, TwoTicksInOneSecondRunOnePassAndNoneWhileOneRuns) {
  Program& p = Make();
  p.StartUp();  // returns on a fresh second
  p.Tick();
  clock.Advance(std::chrono::milliseconds(400));
  p.Tick();
  EXPECT_EQ(p.PassCount(), 1);
  clock.Advance(std::chrono::milliseconds(600));
  p.Tick();
  EXPECT_EQ(p.PassCount(), 2);
  p.State().control.controlStarted = 1;
  RunFor(p, 2);
  EXPECT_EQ(p.PassCount(), 2);
}

// Two ticks fall in each tenth second: 3 such seconds in 30.
TEST_F(TickLoopTest, AnErrorOnRecordBeepsAroundEveryTenthSecond) {
  Program& p = Make();
  p.StartUp();
  RunFor(p, 20);
  EXPECT_EQ(ui.beeps, 0);
  p.State().errors.lastErrorNumber = 3;
  RunFor(p, 30);
  EXPECT_EQ(ui.beeps, 6);
}

TEST_F(TickLoopTest, CommandsPostedFromAnotherThreadRunOnTheControlThread) {
  Program& p = Make();
  p.StartUp();
  std::thread::id ranOn;
  std::thread poster([&] { p.PostCommand([&](Program&) { ranOn = std::this_thread::get_id(); }); });
  poster.join();
  p.Tick();
  EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST_F(TickLoopTest, TheLoopEndsOnlyThroughShutDown) {
  Program& p = Make();
  p.StartUp();
  int ticks = 0;
  std::function<void(Program&)> count = [&](Program& running) {
    if (++ticks == 5) running.ShutDown();
    running.PostCommand(count);
  };
  p.PostCommand(count);
  EXPECT_EQ(ExitOf([&] { p.RunTickLoop(); }), 0);
  EXPECT_EQ(ticks, 5);
  EXPECT_GE(p.PassCount(), 1);
}

TEST_F(TickLoopTest, RunReturnsTheExitStatus) {
  Program& p = Make();
  p.PostCommand([](Program& running) { running.ShutDown(); });
  EXPECT_EQ(p.Run(), 0);
}

}  // namespace
}  // namespace kelvora
