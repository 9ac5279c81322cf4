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

TEST_F(SimulatorTest, SeveralDaysLeaveOneSeasonRecordPerClosedDay) {
  SimulationSummary summary = Run({"--start", "2024-01-08 12:00:00", "--days", "2.25"});
  EXPECT_EQ(summary.exitStatus, 0);
  EXPECT_EQ(summary.closedDays, 2);
  EXPECT_GT(summary.heatingCycles, 3);

  std::string season = Data("TEMP.DAT");
  ASSERT_EQ(season.size(), 2u * 52);
  double recorded = 0;
  const char* dates[] = {"24/01/08", "24/01/09"};
  for (int day = 0; day < 2; ++day) {
    std::string record = season.substr(day * 52, 52);
    EXPECT_EQ(record.substr(0, 8), dates[day]);
    float energy = Cvs(record.substr(12, 4));
    EXPECT_GT(energy, 0) << dates[day];
    recorded += energy;
  }

  // The open day: its energy is what its cycle rows accounted, and the
  // summary's total is the closed days' records plus that.
  ZoneReader stat(Data("STAT.DAT"));
  stat.Number();
  stat.Number();
  stat.Number();
  stat.Quoted();
  double today = stat.Number();
  ZoneReader cycles(Data("CYCLE.DAT"));
  int rows = static_cast<int>(cycles.Number());
  double lastRowEnergy = 0;
  for (int row = 1; row <= rows; ++row) {
    for (int column = 0; column < 6; ++column) {
      double value = cycles.Number();
      if (column == 5) lastRowEnergy = value;
    }
  }
  EXPECT_NEAR(today, lastRowEnergy, 1e-3);
  EXPECT_NEAR(summary.energyKWh, recorded + today, 1e-2);
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
  EXPECT_GE(Data("PREHEAT.DAT").size(), 5u * 120);
  EXPECT_EQ(Data("PREHEAT.DAT").size() % 120, 0u);
  EXPECT_NE(Data("PH_HP.LOG").find("24/01/2"), std::string::npos);
  EXPECT_FALSE(Data("PROJECT.DAT").empty());
  std::string csv = ReadFileBytes(report);
  EXPECT_EQ(csv.rfind("date,programmed,preheat_start,target_reached,arrival_error_min", 0), 0u);
  // Learned, the third week arrives within minutes, and no worse than the first.
  double first = MeanLateness(summary, 0);
  double third = MeanLateness(summary, 2);
  EXPECT_LT(third, 10) << csv;
  EXPECT_LE(third, first + 1) << csv;
}

TEST(SimulatorArguments, BadOptionsAreRefusedWithAReason) {
  SimulationOptions options;
  std::string error;
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

TEST(SimulatorArguments, HelpListsEveryOptionTheParserTakes) {
  std::string usage = SimulationUsage();
  for (const char* option :
       {"--home", "--start", "--days", "--seed", "--house", "--quit", "--snapshot", "--preheat-report"}) {
    EXPECT_NE(usage.find(std::string("  ") + option + " "), std::string::npos) << option;
    SimulationOptions options;
    std::string error;
    std::vector<std::string> arguments = {"--home", "x", option};
    if (std::string(option) != "--quit") arguments.push_back("2024-01-08 00:00:00");
    ParseSimulationArguments(arguments, &options, &error);
    EXPECT_EQ(error.find("unknown option"), std::string::npos) << option;
  }
}

}  // namespace
}  // namespace kelvora::testing
