#include "tools/simulator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "Functions/record.h"
#include "Monitor/core/print_zone.h"
#include "platform/trap.h"
#include "tests/support/fakes.h"
#include "tests/tools/simulation_fixture.h"

namespace kelvora::testing {
namespace {

// Every run on seed 3, so that the houses' weather is the same each time.
class SimulatorTest : public SimulationFixture {
 protected:
  SimulationSummary Run(std::vector<std::string> arguments) {
    arguments.insert(arguments.end(), {"--seed", "3"});
    return SimulationFixture::Run(arguments);
  }
};

// The summary's energy is the closed days' records plus the open day's,
// which STAT.DAT holds as its fifth number.
TEST_F(SimulatorTest, SeveralDaysLeaveOneSeasonRecordPerClosedDay) {
  SimulationSummary summary = Run({"--start", "2024-01-08 12:00:00", "--days", "2.25"});
  EXPECT_EQ(summary.exitStatus, 0);
  EXPECT_EQ(summary.closedDays, 2);
  EXPECT_GT(summary.heatingCycles, 3);
  std::string season = Data("TEMP.DAT");
  ASSERT_EQ(season.size(), 2u * 52);
  EXPECT_EQ(season.substr(0, 8) + season.substr(52, 8), "24/01/0824/01/09");
  const float energy[] = {Cvs(season.substr(12, 4)), Cvs(season.substr(52 + 12, 4))};
  EXPECT_GT(std::min(energy[0], energy[1]), 0);
  ZoneReader stat(Data("STAT.DAT"));
  for (int skipped = 0; skipped < 3; ++skipped) stat.Number();
  stat.Quoted();
  const double today = stat.Number();
  EXPECT_NEAR(summary.energyKWh, energy[0] + energy[1] + today, 1e-2);
  // That is what the open day's cycle rows accounted: the last row's sixth number.
  ZoneReader cycles(Data("CYCLE.DAT"));
  double lastRowEnergy = 0;
  for (int value = 0, rows = static_cast<int>(cycles.Number()); value < 6 * rows; ++value)
    lastRowEnergy = cycles.Number();
  EXPECT_NEAR(today, lastRowEnergy, 1e-3);
}

TEST_F(SimulatorTest, QuitEndsThroughTheProgramAndWritesTheSnapshot) {
  std::string snapshot = home.path() + "/snapshot.json";
  SimulationSummary summary =
      Run({"--start", "2024-01-08 06:00:00", "--days", "0.05", "--quit", "--snapshot", snapshot});
  EXPECT_EQ(summary.exitStatus, 0);
  // A simulated run that quits removes its day files.
  EXPECT_FALSE(std::filesystem::exists(home.path() + "/DATA/STAT.DAT"));
  std::string json = ReadFileBytes(snapshot);
  EXPECT_NE(json.find("\"1011\":\"Monday\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"strip\""), std::string::npos);
}

TEST_F(SimulatorTest, AnUnwatchedRunLeavesTheSameFilesAndWindowAsAWatchedOne) {
  TempDir watchedHome;
  CopyExampleHome(watchedHome.path());
  auto run = [&](const std::string& where, bool watched) {
    SimulationOptions options = Options({"--snapshot", where + "/snapshot.json", "--start",
                                         "2024-01-08 05:00:00", "--days", "1.2", "--seed", "5"});
    options.home = where;
    options.watchedForTesting = watched;
    return RunSimulation(options, ui);
  };
  SimulationSummary unwatched = run(home.path(), false);
  SimulationSummary watched = run(watchedHome.path(), true);
  EXPECT_EQ(unwatched.heatingCycles, watched.heatingCycles);
  for (const char* name : {"DATA/STAT.DAT", "DATA/CYCLE.DAT", "DATA/TEMP.DAT", "snapshot.json"}) {
    std::string bytes = ReadFileBytes(home.File(name));
    EXPECT_FALSE(bytes.empty()) << name;
    EXPECT_EQ(bytes, ReadFileBytes(watchedHome.File(name))) << name;
  }
}

TEST_F(SimulatorTest, AStopThroughTheErrorPathExitsNonZeroAndSaysWhy) {
  std::filesystem::remove(home.path() + "/DATA/HOURS.prg");
  std::filesystem::create_directory(home.path() + "/DATA/HOURS.prg");
  SimulationSummary summary = Run({"--start", "2024-01-08 06:00:00", "--days", "0.01"});
  EXPECT_EQ(summary.exitStatus, kExitStoppedByError);
  std::string text = SummaryText(summary);
  EXPECT_NE(text.find("stopped          error 2 ("), std::string::npos) << text;
  EXPECT_NE(text.find("HOURS.prg: not a regular file"), std::string::npos) << text;
}

// The mean of |arrival error| of the pre-heats that started in `week` (0-based).
double MeanLateness(const SimulationSummary& summary, int week) {
  double sum = 0;
  int count = 0;
  for (const PreheatLine& line : summary.preheats) {
    if (!line.reached || line.week != week) continue;
    sum += std::fabs(line.errorMinutes);
    ++count;
  }
  return count > 0 ? sum / count : 1e9;
}

TEST_F(SimulatorTest, ThreeWeeksOfPreheatsLearnTheHouseAndArriveWithinMinutes) {
  std::string report = home.path() + "/preheats.csv";
  SimulationSummary summary =
      Run({"--start", "2024-01-08 00:00:00", "--days", "21", "--preheat-report", report});
  ASSERT_EQ(summary.exitStatus, 0);
  const size_t preheats = Data("PREHEAT.DAT").size();
  EXPECT_TRUE(preheats >= 5u * 120 && preheats % 120 == 0) << preheats;
  EXPECT_NE(Data("PH_HP.LOG").find("24/01/2"), std::string::npos);
  EXPECT_FALSE(Data("PROJECT.DAT").empty());
  std::string csv = ReadFileBytes(report);
  EXPECT_EQ(csv.rfind("date,programmed,preheat_start,target_reached,arrival_error_min", 0), 0u);
  // Learned, the third week arrives within minutes, and no worse than the first.
  EXPECT_LT(MeanLateness(summary, 2), 10) << csv;
  EXPECT_LE(MeanLateness(summary, 2), MeanLateness(summary, 0) + 1) << csv;
}

// The help lists every option the parser takes, and the parser refuses
// bad ones with a reason.
TEST(SimulatorArguments, HelpListsEveryOptionAndBadOptionsAreRefusedWithAReason) {
  SimulationOptions options;
  std::string error;
  for (const char* option :
       {"--home", "--start", "--days", "--seed", "--house", "--quit", "--snapshot", "--preheat-report"}) {
    EXPECT_NE(SimulationUsage().find(std::string("  ") + option + " "), std::string::npos) << option;
    std::vector<std::string> arguments = {"--home", "x", option};
    if (std::string(option) != "--quit") arguments.push_back("2024-01-08 00:00:00");
    ParseSimulationArguments(arguments, &options, &error);
    EXPECT_EQ(error.find("unknown option"), std::string::npos) << option;
  }
  options = {};
  EXPECT_FALSE(ParseSimulationArguments({"--days", "2"}, &options, &error));
  EXPECT_EQ(error, "--home is required");
  EXPECT_FALSE(ParseSimulationArguments({"--home", "x", "--days", "-1"}, &options, &error));
  EXPECT_FALSE(ParseSimulationArguments({"--home", "x", "--start", "yesterday"}, &options, &error));
  EXPECT_FALSE(ParseSimulationArguments({"--home", "x", "--seed"}, &options, &error));
  EXPECT_EQ(error, "--seed wants a value");
  EXPECT_TRUE(ParseSimulationArguments({"--home", "x", "--days", "0.25", "--quit"}, &options, &error));
  EXPECT_EQ(options.days, 0.25);
  EXPECT_TRUE(options.quit);
}

}  // namespace
}  // namespace kelvora::testing
