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
    environment.makeFiles = [this](TrapHandler& handler) {
      return std::make_unique<PosixFileLayer>(handler, &faults);
    };
    program = std::make_unique<Program>(environment);
    return *program;
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
  // The learning operations the next Make gives the program; passive when empty.
  std::function<std::unique_ptr<LearningOperations>(ControlHost&)> makeLearning;
};

}  // namespace kelvora::testing

#endif  // KELVORA_TESTS_SUPPORT_PROGRAM_FIXTURE_H_
