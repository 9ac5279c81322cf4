// A started program whose home holds the given schedule files and settings,
// for the dialogs to open on, apply to and save from.
#ifndef KELVORA_TESTS_MONITOR_UI_DIALOG_FIXTURE_H_
#define KELVORA_TESTS_MONITOR_UI_DIALOG_FIXTURE_H_

#include <filesystem>
#include <map>
#include <string>

#include "Monitor/schedule/schedule_files.h"
#include "tests/support/program_fixture.h"

namespace kelvora::testing {

class DialogTest : public ProgramFixture {
 protected:
  // `files`: schedule file name -> its bytes; the others are empty.
  Program& Started(const std::map<std::string, std::string>& files, const std::string& settings = "") {
    std::filesystem::create_directories(home.path() + "/DATA/History");
    for (uint8_t kind = kProgramsKind; kind <= kTempsKind; ++kind) {
      std::string name(ScheduleFileName(kind));
      auto it = files.find(name);
      WriteFileBytes(DataFile(name), it == files.end() ? "" : it->second);
    }
    WriteSettings(settings);
    Program& p = Make();
    EXPECT_EQ(ExitOf([&] { p.StartUp(); }), std::nullopt);
    p.OpenMainWindow();
    return p;
  }

  // The program drives a card at kCardPort from now on.
  void WithCard(Program& p) {
    CardState& card = p.State().card;
    card.cardKind = "PCI";
    card.simulationMode = 0;
    card.inputPort = kCardPort - 16;
    card.outputPort = kCardPort;
  }
};

}  // namespace kelvora::testing

#endif  // KELVORA_TESTS_MONITOR_UI_DIALOG_FIXTURE_H_
