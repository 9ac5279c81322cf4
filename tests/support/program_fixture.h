// A whole program in a temporary directory, on a virtual clock, with a
// recording card and a scripted user.
#ifndef KELVORA_TESTS_SUPPORT_PROGRAM_FIXTURE_H_
#define KELVORA_TESTS_SUPPORT_PROGRAM_FIXTURE_H_

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "Monitor/Monitor.h"
#include "Monitor/run_parts.h"
#include "platform/posix_file_layer.h"
#include "tests/support/fakes.h"

namespace kelvora::testing {

inline LocalTime TimeAt(const std::string& text) {
  LocalTime time;
  EXPECT_TRUE(ParseLocalTime(text, &time)) << text;
  return time;
}

class ProgramFixture : public ::testing::Test {
 protected:
  static constexpr uint16_t kCardPort = 0x301;

  ProgramFixture() : clock(TimeAt("2019-06-15 14:05:08")) {
    ui.ports = &ports;
    ui.watchedPort = kCardPort;
  }

  // A program on the recording card, or on `portAccess` when given.
  Program& Make(bool installSignalHandlers = false, PortAccess* portAccess = nullptr) {
    PortAccess& chosen = portAccess != nullptr ? *portAccess : static_cast<PortAccess&>(ports);
    Environment environment{clock,
                            chosen,
                            ui,
                            home.path(),
                            installSignalHandlers,
                            /*randomSeed=*/7,
                            makeLearning,
                            /*onDayClosed=*/{}};
    environment.statusScreenToTerminal = statusScreenToTerminal;
    environment.makeFiles = [this](TrapHandler& handler) {
      return std::make_unique<PosixFileLayer>(handler, &faults);
    };
    program = std::make_unique<Program>(environment);
    return *program;
  }

  // A program started at `time` with its main window open. The files are not
  // synced to the disk: hours of them pass in seconds.
  Program& Started(const std::string& time) {
    clock.Set(TimeAt(time));
    Program& p = Make();
    p.Files().SetSyncOnCommit(false);
    EXPECT_EQ(ExitOf([&] { p.StartUp(); }), std::nullopt);
    p.OpenMainWindow();
    return p;
  }

  // Runs `seconds` of the clock in half-second ticks; `watch` sees the state
  // and the clock's second of the day after every tick.
  void RunFor(Program& p, int seconds, const std::function<void(const RunState&, int32_t)>& watch = {}) {
    for (int tick = 0; tick < 2 * seconds; ++tick) {
      clock.Advance(std::chrono::milliseconds(500));
      p.Tick();
      if (watch) watch(p.State(), SecondsOfDay(clock.Now()));
    }
  }

  // Runs `step`; the exit status when it ended the run, nullopt when it returned.
  std::optional<int> ExitOf(const std::function<void()>& step) {
    try {
      step();
    } catch (const ProgramExit& exit) {
      return exit.status();
    }
    return std::nullopt;
  }

  // A started program, as if a card had been found at kCardPort.
  Program& StartedWithCard(uint8_t outputByte) {
    Program& p = Make();
    EXPECT_EQ(ExitOf([&] { p.StartUp(); }), std::nullopt);
    CardState& card = p.State().card;
    card.cardKind = "PCI";
    card.simulationMode = 0;
    card.inputPort = kCardPort - 16;
    card.outputPort = kCardPort;
    card.outputByte = outputByte;
    p.WriteOutputs(outputByte);
    ui.boxes.clear();
    return p;
  }

  std::string DataFile(const std::string& name) const { return home.path() + "/DATA/" + name; }
  void WriteSettings(const std::string& text) const { WriteFileBytes(home.File("Settings.ini"), text); }

  TempDir home;
  VirtualClock clock;
  RecordingPorts ports;
  ScriptedUi ui;
  FileFaults faults;  // planted in the program's file operations
  std::unique_ptr<Program> program;
  // Whether the next Make draws the status screen on the terminal.
  bool statusScreenToTerminal = false;
  // The learning operations the next Make gives the program; passive when empty.
  std::function<std::unique_ptr<LearningOperations>(ControlHost&)> makeLearning;
};

}  // namespace kelvora::testing

#endif  // KELVORA_TESTS_SUPPORT_PROGRAM_FIXTURE_H_
