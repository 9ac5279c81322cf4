// The fault campaign: an evening and a midnight of the whole program on a
// card, with the Nth file operation failing once or from then on, then a
// restart on the same home. Nothing the user wrote may change, every data
// file must read back sound, no day may be lost or counted twice, and the
// relays must be off whenever the program stops, with nothing but 0 sent to
// them once the stop has begun. CI runs a sample of the operations;
// KELVORA_CAMPAIGN=all runs every one and prints the table of outcomes
// (scripts/fault-campaign.sh).
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Monitor/Monitor.h"
#include "Monitor/card/card.h"
#include "platform/fake_card.h"
#include "platform/posix_file_layer.h"
#include "tests/support/program_fixture.h"
#include "tests/tools/simulation_fixture.h"

namespace kelvora::testing {
namespace {

namespace fs = std::filesystem;

constexpr uint16_t kCardBase = 0xD000;
constexpr int kTicksPerHour = 7200;
constexpr size_t kSeasonRecord = 52;
constexpr int kCiSample = 36;

// Retry twice, then Abort; every other box takes its default button. Notes
// how many bytes the latch had received when the stop box came up.
class CampaignUi final : public UserInterface {
 public:
  explicit CampaignUi(const FakeCard& card) : card_(card) {}

  BoxResult ShowMessageBox(const MessageBoxRequest& request) override {
    if (request.buttons == BoxButtons::kAbortRetryIgnore) {
      return ++retries_ <= 2 ? BoxResult::kRetry : BoxResult::kAbort;
    }
    if (request.caption == "SYSTEM ERROR" && !latchWritesAtStop)
      latchWritesAtStop = card_.LatchWrites().size();
    return DefaultAnswer(request);
  }
  void Beep() override {}
  void ConsoleWrite(std::string_view text) override { console += text; }

  std::string console;
  std::optional<size_t> latchWritesAtStop;

 private:
  const FakeCard& card_;
  int retries_ = 0;
};

struct RunResult {
  int status = 0;
  bool burned = false;  // whether the relays were ever on
  std::string console;
  std::string problems;  // of the relays
};

// Runs the program on a fake card in `home` from `start` for `hours`, then
// quits; `hook` sees every file operation.
RunResult RunOnCard(const std::string& home, const std::string& start, double hours,
                    const FileFaults::OperationHook& hook) {
  FakeCard card;
  card.AddPciFunction({.bus = 1, .device = 2, .identifier = kCardIdentifier, .bars = {kCardBase + 1u}});
  card.Place(FakeCard::Layout::kPci, kCardBase);
  // A cold house on a mild evening: the burner has work to do.
  card.SetChannelSource([](int channel) -> uint8_t { return channel == 0 ? 90 : 120; });
  VirtualClock clock(TimeAt(start));
  CampaignUi ui(card);
  RunResult result;
  {
    FileFaults faults;
    faults.SetOperationHook(hook);
    Environment environment{clock, card, ui, home, false, 7, {}, {}};
    environment.makeFiles = [&faults](TrapHandler& handler) {
      return std::make_unique<PosixFileLayer>(handler, &faults);
    };
    Program program(environment);
    program.Files().SetSyncOnCommit(false);
    try {
      program.StartUp();
      program.OpenMainWindow();
      for (int tick = 0; tick < static_cast<int>(hours * kTicksPerHour); ++tick) {
        clock.SleepFor(std::chrono::milliseconds(500));
        program.Tick();
      }
      program.Quit();
    } catch (const ProgramExit& exit) {
      result.status = exit.status();
    }
  }
  result.console = ui.console;
  const std::vector<uint8_t>& latch = card.LatchWrites();
  result.burned = std::any_of(latch.begin(), latch.end(), [](uint8_t byte) { return byte != 0; });
  if (!latch.empty() && latch.back() != 0) result.problems += " relays-left-on";
  for (size_t i = ui.latchWritesAtStop.value_or(latch.size()); i < latch.size(); ++i) {
    if (latch[i] != 0) result.problems += " relay-on-during-stop";
  }
  return result;
}

std::map<std::string, std::string> UserFiles(const std::string& home) {
  std::map<std::string, std::string> files{{"Settings.ini", ReadFileBytes(home + "/Settings.ini")}};
  for (const auto& entry : fs::directory_iterator(home + "/DATA")) {
    if (entry.path().extension() == ".prg") {
      files[entry.path().filename().string()] = ReadFileBytes(entry.path().string());
    }
  }
  return files;
}

// What is wrong with `home` after the restart.
std::string HomeProblems(const std::string& home, const std::map<std::string, std::string>& userFiles,
                         const RunResult& restart) {
  std::string problems;
  if (UserFiles(home) != userFiles) problems += " user-file-changed";
  for (const auto& entry : fs::recursive_directory_iterator(home)) {
    std::string name = entry.path().filename().string();
    if (name.find(".kelvora-tmp") != std::string::npos) problems += " temporary-left:" + name;
    if (name.find(".damaged") != std::string::npos) problems += " set-aside:" + name;
  }
  if (restart.console.find("damaged") != std::string::npos) problems += " damaged-on-restart";
  if (restart.status != 0) problems += " restart-stopped";
  std::string season = ReadFileBytes(home + "/DATA/TEMP.DAT");
  std::map<std::string, int> days;
  for (size_t at = 0; at + kSeasonRecord <= season.size(); at += kSeasonRecord) ++days[season.substr(at, 8)];
  if (season.size() % kSeasonRecord != 0) problems += " season-file-cut";
  if (days["24/01/08"] != 1) problems += " day-24/01/08-recorded-" + std::to_string(days["24/01/08"]) + "x";
  for (const auto& [day, count] : days) {
    if (count > 1 && day != "24/01/08") problems += " day-" + day + "-doubled";
  }
  return problems + restart.problems;
}

const char* OpName(FileOp op) {
  static const char* const kNames[] = {"open", "read", "write", "close", "rename", "copy", "remove", "mkdir"};
  return kNames[static_cast<int>(op)];
}

class FaultCampaign : public ::testing::Test {
 protected:
  static constexpr const char* kStart = "2024-01-08 22:00:00";
  static constexpr double kHours = 2.5;  // past midnight
  static constexpr const char* kRestart = "2024-01-09 01:00:00";

  void SetUp() override {
    CopyExampleHome(base.path());
    // On the card: the example's settings ask for the simulation.
    std::string settings = ReadFileBytes(base.File("Settings.ini"));
    size_t simulation = settings.find("Sim_Mode=1");
    ASSERT_NE(simulation, std::string::npos);
    settings[simulation + 9] = '0';
    WriteFileBytes(base.File("Settings.ini"), settings);
    // The evening so far: the day's files exist when the campaign's run starts.
    ASSERT_EQ(RunOnCard(base.path(), "2024-01-08 20:00:00", 2, {}).status, 0);
    userFiles = UserFiles(base.path());
  }

  // Runs the campaign's evening with operation `failing` failing once or
  // from then on (none for 0), restarts, and returns the outcome and its
  // problems; `operations`, when given, gets the kind and file of each.
  struct TrialResult {
    std::string outcome;
    std::string problems;
    std::string consoles;  // of the run and of the restart, for a failure's message
    bool burned = false;
  };

  TrialResult Trial(int failing, bool fromThenOn, std::vector<std::string>* operations = nullptr) {
    TempDir home;
    fs::copy(base.path(), home.path(), fs::copy_options::recursive);
    RunResult run =
        RunOnCard(home.path(), kStart, kHours, [&](int number, FileOp op, const std::string& path) {
          if (operations != nullptr)
            operations->push_back(std::string(OpName(op)) + " " + fs::path(path).filename().string());
          bool fails = fromThenOn ? number >= failing : number == failing;
          return fails && failing > 0 ? (fromThenOn ? ENOSPC : EIO) : 0;
        });
    if (const char* keep = std::getenv("KELVORA_CAMPAIGN_KEEP"); keep != nullptr && failing > 0) {
      fs::copy(home.path(), std::string(keep) + (fromThenOn ? "/on" : "/once"), fs::copy_options::recursive);
    }
    RunResult restart = RunOnCard(home.path(), kRestart, 0.25, {});
    std::string outcome = run.status == 0 ? "ran-on" : "stopped-" + std::to_string(run.status);
    return {outcome, HomeProblems(home.path(), userFiles, restart) + run.problems,
            "run:\n" + run.console + "\nrestart:\n" + restart.console, run.burned};
  }

  TempDir base;
  std::map<std::string, std::string> userFiles;
};

TEST_F(FaultCampaign, EveryFailedFileOperationLosesNothingAndLeavesTheRelaysOff) {
  std::vector<std::string> operations;
  TrialResult reference = Trial(0, false, &operations);
  ASSERT_EQ(reference.outcome + reference.problems, "ran-on") << reference.consoles;
  ASSERT_TRUE(reference.burned);
  const int total = static_cast<int>(operations.size());
  ASSERT_GT(total, 20);
  const char* mode = std::getenv("KELVORA_CAMPAIGN");
  const bool all = mode != nullptr && std::string(mode) == "all";
  const int step = all ? 1 : std::max(1, total / kCiSample);
  // KELVORA_CAMPAIGN=<n>: only operation n, with what the runs said.
  const int only = mode != nullptr && !all ? std::atoi(mode) : 0;
  // Per kind of operation and file: trials, outcomes, problems.
  std::map<std::string, std::map<std::string, int>> table;
  for (int n = only > 0 ? only : 1; n <= (only > 0 ? only : total); n += step) {
    for (bool fromThenOn : {false, true}) {
      const TrialResult trial = Trial(n, fromThenOn);
      const std::string& row = operations[n - 1];
      EXPECT_EQ(trial.problems, "") << "operation " << n << " (" << row << ") failing "
                                    << (fromThenOn ? "from then on" : "once")
                                    << (only > 0 ? "\n" + trial.consoles : "");
      ++table[row][std::string(fromThenOn ? "on:" : "once:") + trial.outcome];
      ++table[row][trial.problems.empty() ? "sound" : "PROBLEM"];
    }
  }
  if (!all) return;
  std::printf("%d file operations in the evening and midnight, each failed once and from then on\n", total);
  std::printf("%-28s %s\n", "operation", "outcomes (count)");
  for (const auto& [row, columns] : table) {
    std::printf("%-28s", row.c_str());
    for (const auto& [column, count] : columns) std::printf(" %s=%d", column.c_str(), count);
    std::printf("\n");
  }
}

}  // namespace
}  // namespace kelvora::testing
