// The handler of trapped errors, driven through real file failures.
#include "Monitor/core/fatal_error.h"
#include "Monitor/error_handler.h"

#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>

#include "Monitor/core/emergency_stop.h"
#include "tests/support/program_fixture.h"

namespace kelvora {
namespace {

namespace fs = std::filesystem;
using testing::ProgramFixture;
using testing::ReadFileBytes;

const std::string kExplanation =
    "A System File is probably open in another external application\n\r\n"
    "CLOSE the external application and then Click the RETRY button.\r\n"
    "Otherwise the Program will be CLOSED and you risk losing some data.";

TEST(ErrorRecord, IsCutAtTheBufferWithoutOverflow) {
  char buffer[10];
  EXPECT_EQ(FormatErrorRecord(buffer, sizeof buffer, 12, 0, "signal", " 0:00:00", ""), sizeof buffer);
  EXPECT_EQ(std::string(buffer, sizeof buffer), "ERROR: #12");
}

class FatalErrorTest : public ProgramFixture {
 protected:
  // Writes a file through the program; the write fails once.
  void FailingWrite(Program& p, int times = 1) {
    faults.InjectFault(FileOp::kWrite, "STAT.DAT", times);
    FileId id = p.Files().OpenOutput("STAT.DAT");
    failLine = __LINE__ + 1;
    p.Files().Write(id, "saved\r\n");
    p.Files().Close(id);
  }

  int failLine = 0;
};

TEST_F(FatalErrorTest, ErrorOneIsSilentAndTheProgramGoesOn) {
  Program& p = StartedWithCard(0x04);
  FileId id = p.Files().OpenOutput("X.DAT");
  p.Files().Close(id);
  p.Files().Write(id, "after close");
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(p.State().errors.lastErrorNumber, 0);
  EXPECT_FALSE(fs::exists(DataFile("ERROR.LOG")));
}

TEST_F(FatalErrorTest, RetriedWriteSucceedsWithTheRelaysOffOnlyWhileTheBoxWaits) {
  Program& p = StartedWithCard(0x0C);
  ui.answers = {BoxResult::kRetry};
  FailingWrite(p);
  ASSERT_EQ(ui.boxes.size(), 1u);
  const MessageBoxRequest& box = ui.boxes[0].request;
  EXPECT_EQ(box.caption, "SYSTEM ERROR");
  EXPECT_EQ(box.text, "A Severe error has occurred:\n" + kExplanation);
  EXPECT_EQ(box.buttons, BoxButtons::kAbortRetryIgnore);
  EXPECT_EQ(box.icon, BoxIcon::kStop);
  EXPECT_EQ(ReadFileBytes(DataFile("STAT.DAT")), "saved\r\n");
  EXPECT_FALSE(fs::exists(DataFile("ERROR.LOG")));
  EXPECT_EQ(ui.boxes[0].latchWhenShown, 0);
  EXPECT_EQ(ports.LastByte(kCardPort), 0x0C);
  // The program runs on, beeping for the error on record.
  int passes = p.PassCount();
  RunFor(p, 20);
  EXPECT_GT(p.PassCount(), passes);
  EXPECT_GE(ui.beeps, 2);
}

// Before the main window's first pass the log takes the clock's own time,
// here a second after the last reading start-up made. Ignore stops too.
TEST_F(FatalErrorTest, AbortAfterTheRetryBoxStopsWithTheExplanationInTheLog) {
  for (BoxResult answer : {BoxResult::kAbort, BoxResult::kIgnore}) {
    clock.Set(testing::TimeAt("2019-06-15 14:05:08"));
    Program& p = StartedWithCard(0x0C);
    // The day's save would meet the same failing file and ask again.
    p.SetDayStateSaverForTesting([](Program&) {});
    ui.answers = {answer};
    ui.beeps = 0;
    ui.console.clear();
    std::filesystem::remove(DataFile("ERROR.LOG"));
    EXPECT_EQ(ExitOf([&] { FailingWrite(p); }), kExitStoppedByError);
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[1].request.text,
              "A Severe error has occurred, \nThe Program will STOP!\nClick the OK Button");
    EXPECT_EQ(ui.boxes[1].request.buttons, BoxButtons::kOk);
    std::string expected = "ERROR: #3 in line  " + std::to_string(failLine) +
                           " in Module fatal_error_test in Function  at 14:05:10 Hre\r\n\r\n" + kExplanation +
                           "\r\n";
    EXPECT_EQ(ReadFileBytes(DataFile("ERROR.LOG")), expected);
    EXPECT_NE(ui.console.find("\n" + expected), std::string::npos);
    EXPECT_EQ(ui.beeps, 2);
    EXPECT_EQ(ports.LastByte(kCardPort), 0);
  }
}

TEST_F(FatalErrorTest, AFileThatCannotBeOpenedStopsWithoutRetryAndTheRelaysOff) {
  Program& p = StartedWithCard(0x1F);
  int line = __LINE__ + 1;
  EXPECT_EQ(ExitOf([&] { p.Files().OpenInput("HOURS.prg.missing"); }), kExitStoppedByError);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].request.caption, "SYSTEM ERROR");
  EXPECT_EQ(ui.boxes[0].request.buttons, BoxButtons::kOk);
  EXPECT_EQ(ui.boxes[0].latchWhenShown, 0);  // off before the stop message is shown
  EXPECT_EQ(ReadFileBytes(DataFile("ERROR.LOG")),
            "ERROR: #2 in line  " + std::to_string(line) +
                " in Module fatal_error_test in Function  at 14:05:10 Hre\r\n\r\n\r\n");
}

// Also in the table's last row, 500: the closing row goes beyond it.
TEST_F(FatalErrorTest, TheStopPathSavesTheDayAfterClosingARunningCycle) {
  for (int row : {1, 500}) {
    Program& p = StartedWithCard(0x04);
    ControlState& control = p.State().control;
    control.cycleIndex = row;
    control.cycleLog(row, kCycleState) = 1;
    control.interiorTemp = 19.5f;
    control.exteriorTemp = -3.0f;
    int savedRows = -1;
    p.SetDayStateSaverForTesting([&](Program& running) { savedRows = running.State().control.cycleIndex; });
    EXPECT_EQ(ExitOf([&] { p.Files().OpenInput("missing"); }), kExitStoppedByError);
    EXPECT_EQ(savedRows, row + 1);
    EXPECT_EQ(control.cycleLog(row + 1, kCycleState), 0);
    EXPECT_EQ(control.cycleLog(row + 1, kCycleStart), static_cast<float>(p.State().clock.clockSeconds));
    EXPECT_EQ(control.cycleLog(row + 1, kCycleInterior), 19.5f);
    EXPECT_EQ(control.cycleLog(row + 1, kCycleExterior), -3.0f);
  }
}

// Once the stop has begun only 0 reaches the latch, the retry included.
TEST_F(FatalErrorTest, AWriteFailureOfTheLogOffersTheRetryBoxAgain) {
  Program& p = StartedWithCard(0x0E);
  faults.InjectFault(FileOp::kWrite, "ERROR.LOG");
  ui.answers = {BoxResult::kOk, BoxResult::kRetry};
  const size_t before = ports.writes.size();
  EXPECT_EQ(ExitOf([&] { p.Files().OpenInput("missing"); }), kExitStoppedByError);
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[1].request.buttons, BoxButtons::kAbortRetryIgnore);
  EXPECT_NE(ReadFileBytes(DataFile("ERROR.LOG")).find("ERROR: #2 "), std::string::npos);
  ASSERT_GT(ports.writes.size(), before);
  for (size_t i = before; i < ports.writes.size(); ++i) EXPECT_EQ(ports.writes[i].second, 0) << i;
}

TEST_F(FatalErrorTest, AFullDiskIsNamedAndTheOldFileKept) {
  Program& p = StartedWithCard(0x04);
  testing::WriteFileBytes(DataFile("STAT.DAT"), "kept\r\n");
  p.SetDayStateSaverForTesting([](Program&) {});
  faults.InjectFault(FileOp::kWrite, "STAT.DAT", 1, 0, ENOSPC);
  ui.answers = {BoxResult::kAbort};
  EXPECT_EQ(ExitOf([&] { FailingWrite(p); }), kExitStoppedByError);
  const std::string advice = "The disk is full: " + DataFile("STAT.DAT") + " could not be written.\r\n" +
                             "Make room on the disk and then Click the RETRY button.\r\n";
  EXPECT_EQ(ui.boxes[0].request.text.rfind("A Severe error has occurred:\n" + advice, 0), 0u);
  EXPECT_NE(ReadFileBytes(DataFile("ERROR.LOG")).find("\r\n\r\n" + advice), std::string::npos);
  EXPECT_EQ(ReadFileBytes(DataFile("STAT.DAT")), "kept\r\n");
  EXPECT_NE(ui.console.find("Kelvora stopped: error 3"), std::string::npos);
}

TEST_F(FatalErrorTest, OutOfMemoryAtStartUpShowsOnlyTheStopMessage) {
  Program& p = Make();
  p.FailDimensioningForTesting(1);
  EXPECT_EQ(ExitOf([&] { p.StartUp(); }), kExitStoppedByError);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].request.caption, "SYSTEM ERROR");
  EXPECT_FALSE(ui.boxes[0].request.ownedByMainWindow);
  // The data directory does not exist yet: the record goes where the program stands.
  std::string log = ReadFileBytes(home.File("ERROR.LOG"));
  EXPECT_EQ(log.substr(0, 12), "ERROR: #4 in");
  EXPECT_EQ(log.substr(log.size() - 6), "\r\n\r\n\r\n");
}

TEST_F(FatalErrorTest, AnIndexOutsideATableInAPassStopsTheProgram) {
  Program& p = StartedWithCard(0x04);
  p.PostCommand([](Program& running) { running.State().control.cycleLog(501, 0) = 1; });
  EXPECT_EQ(ExitOf([&] { p.Tick(); }), kExitStoppedByError);
  EXPECT_EQ(ReadFileBytes(DataFile("ERROR.LOG")).substr(0, 10), "ERROR: #6 ");
}

class SignalTest : public ProgramFixture {};

TEST_F(SignalTest, ErrorNumbersFollowTheSignalOrder) {
  const std::pair<int, int> cases[] = {{SIGINT, 9},   {SIGILL, 10},  {SIGFPE, 11},
                                       {SIGSEGV, 12}, {SIGTERM, 13}, {SIGABRT, 14},
                                       {SIGQUIT, 15}, {SIGUSR1, 13}, {SIGPIPE, 0}};
  for (const auto& [signal, number] : cases) EXPECT_EQ(ErrorNumberOfSignal(signal), number) << signal;
}

// The handler only records the signal. A hang-up stops like a termination
// request, under its own number, and a broken pipe is ignored.
TEST_F(SignalTest, ATerminationRequestTakesTheFatalPathAtTheNextTick) {
  for (const auto& [signal, record] : {std::pair{SIGTERM, "ERROR: #13 "}, std::pair{SIGHUP, "ERROR: #9 "}}) {
    program.reset();
    fs::remove(DataFile("ERROR.LOG"));
    Program& p = Make(/*installSignalHandlers=*/true);
    p.StartUp();
    ::raise(SIGPIPE);
    EXPECT_EQ(ExitOf([&] { p.Tick(); }), std::nullopt);
    ::raise(signal);
    EXPECT_EQ(ExitOf([&] { p.Tick(); }), kExitStoppedOnRequest);
    EXPECT_EQ(ui.boxes.back().request.text, StopBoxText());
    EXPECT_EQ(ReadFileBytes(DataFile("ERROR.LOG")).rfind(record, 0), 0u) << record;
  }
}

TEST(EmergencyStop, ASecondRequestNeedsTheCrashPath) {
  EmergencyStop stop;
  EXPECT_FALSE(stop.RequestStop(kSignalInterrupt));
  EXPECT_EQ(stop.PendingRequest(), kSignalInterrupt);
  EXPECT_TRUE(stop.RequestStop(kSignalTermination));
  EXPECT_EQ(stop.PendingRequest(), kSignalInterrupt);
}

TEST(EmergencyStop, TheCrashPathSwitchesTheRelaysOffAndWritesTheLog) {
  testing::TempDir dir;
  testing::RecordingPorts ports;
  EmergencyStop stop;
  ASSERT_TRUE(stop.Install(ports));
  stop.SetOutputPort(0x301);
  stop.SetClockSeconds(3725);
  stop.SetLogPath(dir.File("ERROR.LOG"));
  stop.RunCrashPath(kSignalSegmentation);
  stop.Uninstall();
  ASSERT_EQ(ports.writes.size(), 1u);
  EXPECT_EQ(ports.writes[0], std::make_pair(uint16_t{0x301}, uint8_t{0}));
  EXPECT_EQ(ReadFileBytes(dir.File("ERROR.LOG")),
            "ERROR: #12 in line  0 in Module signal in Function  at 01:02:05 Hre\r\n\r\n\r\n");
}

// The process ends from the handler: the shell must get its echo back.
TEST(EmergencyStop, TheCrashPathGivesTheTerminalItsSettingsBack) {
  int keyboard = -1, terminal = -1;
  ASSERT_EQ(openpty(&keyboard, &terminal, nullptr, nullptr, nullptr), 0);
  termios before{};
  tcgetattr(terminal, &before);
  {
    QuietTerminal quiet(terminal);
    EmergencyStop stop;
    stop.SetTerminal(&quiet);
    stop.RunCrashPath(kSignalInterrupt);
    termios after{};
    tcgetattr(terminal, &after);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
  }
  ::close(keyboard);
  ::close(terminal);
}

// The shell that ran while the process was suspended turned the echo on.
TEST(EmergencyStop, AContinuationQuietsTheTerminalAgainAndIsReportedOnce) {
  int keyboard = -1, terminal = -1;
  ASSERT_EQ(openpty(&keyboard, &terminal, nullptr, nullptr, nullptr), 0);
  testing::RecordingPorts ports;
  {
    QuietTerminal quiet(terminal);
    EmergencyStop stop;
    ASSERT_TRUE(stop.Install(ports));
    stop.SetTerminal(&quiet);
    termios shell{};
    tcgetattr(terminal, &shell);
    shell.c_lflag |= ECHO;
    tcsetattr(terminal, TCSANOW, &shell);
    std::raise(SIGCONT);
    termios after{};
    tcgetattr(terminal, &after);
    EXPECT_EQ(after.c_lflag & ECHO, 0u);
    EXPECT_TRUE(stop.TakeContinued());
    EXPECT_FALSE(stop.TakeContinued());
    stop.Uninstall();
  }
  ::close(keyboard);
  ::close(terminal);
}

TEST(EmergencyStop, OnlyOneStopCanBeInstalled) {
  testing::RecordingPorts ports;
  EmergencyStop first, second;
  EXPECT_TRUE(first.Install(ports));
  EXPECT_FALSE(second.Install(ports));
  first.Uninstall();
  EXPECT_TRUE(second.Install(ports));
}

}  // namespace
}  // namespace kelvora
