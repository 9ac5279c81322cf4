#include "tools/house.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

#include "Monitor/card/card.h"
#include "Monitor/card/sensors.h"
#include "tests/support/program_fixture.h"
#include "tests/tools/simulation_fixture.h"
#include "tools/physical_house.h"
#include "tools/simulator.h"
#include "tools/weather.h"

namespace kelvora::testing {
namespace {

// A house with nothing but its envelope, its mass and the heat put in.
HouseParameters BareHouse() {
  HouseParameters p;
  p.Loss_W_per_K = 200;
  p.Air_kWh_per_K = 0.5;
  p.Mass_kWh_per_K = 6;
  p.Coupling_W_per_K = 800;
  p.Solar_W_per_pct = p.Wind_W_per_K_per_kmh = p.Internal_W = p.Sensor_Noise_C = p.Start_Interior_C = 0;
  return p;
}

// The air temperature `t` seconds after a step of `watts` into a house at
// rest at the exterior temperature 0: x' = A x + b for x = (air, mass),
// solved through the eigenvalues of A from x(0) - x* = (-s, -s), where the
// steady state x* = (s, s), s = P / L.
double ClosedFormAir(const HouseParameters& p, double watts, double t) {
  double ca = p.Air_kWh_per_K * 3.6e6, cm = p.Mass_kWh_per_K * 3.6e6, l = p.Loss_W_per_K,
         k = p.Coupling_W_per_K;
  double a11 = -(l + k) / ca, a12 = k / ca, a22 = -k / cm, trace = a11 + a22, det = a11 * a22 - a12 * k / cm;
  double root = std::sqrt(trace * trace / 4 - det), l1 = trace / 2 + root, l2 = trace / 2 - root;
  double steady = watts / l;
  double c1 = (-steady * (l2 - a11) + steady * a12) / (a12 * (l2 - l1)), c2 = -steady / a12 - c1;
  return steady + a12 * (c1 * std::exp(l1 * t) + c2 * std::exp(l2 * t));
}

TEST(ThermalHouse, AStepOfHeatFollowsTheClosedFormSolution) {
  HouseParameters p = BareHouse();
  ThermalHouse house(p);
  double elapsed = 0;
  for (double until : {300.0, 1800.0, 4 * 3600.0, 48 * 3600.0}) {
    house.Advance(until - elapsed, 10000, WeatherSample{0, 0, 0});
    elapsed = until;
    EXPECT_NEAR(house.Air(), ClosedFormAir(p, 10000, until), 0.005) << until << " s";
  }
}

TEST(ThermalHouse, RelaysBringTheirStagesAndTheHeatPumpOnlyAboveItsLimit) {
  HouseParameters p = BareHouse();
  p.Stage1_kW = 9;
  p.Stage2_kW = 5;
  p.HeatPump_kW = 4;
  p.HeatPump_Min_Ext_C = -10;
  ThermalHouse house(p);
  EXPECT_EQ(house.HeatingWatts(kStage1Bit | kStage2Bit, 0), 14000);
  EXPECT_EQ(house.HeatingWatts(kHeatPumpBit | 1 | 2, -5), 4000);  // fan bits bring no heat
  EXPECT_EQ(house.HeatingWatts(kHeatPumpBit, -12), 0);
}

TEST(PhysicalHouseCard, IsFoundOnThePciBusAndItsSensorsReadTheHouse) {
  HouseParameters p = BareHouse();
  p.Start_Interior_C = 21.37;
  WeatherGenerator calm;
  calm.Front_Swing_C = 0;
  PhysicalHouse house(p, Weather(calm), 0, 1);
  Settings settings;
  settings.Int_Adjust = 0.5f;
  settings.Ext_Adjust = -1;
  house.UseCalibration(&settings);
  uint32_t memoryBase = 0;
  uint16_t ioBase = 0;
  ASSERT_EQ(PciFindCard(house, kCardIdentifier, memoryBase, ioBase), kCardIdentifier);
  EXPECT_EQ(ioBase, PhysicalHouse::kIoBase);
  CardState card;
  card.cardKind = "PCI";
  card.inputPort = ioBase;
  card.outputPort = static_cast<uint16_t>(ioBase + kPciLatchOffset);
  VirtualClock clock(LocalTime{});
  EXPECT_NEAR(InteriorFromRaw(ReadCardChannel(house, clock, card, kInteriorChannel), settings.Int_Adjust),
              house.Interior(), 0.05);
  EXPECT_NEAR(ExteriorFromRaw(ReadCardChannel(house, clock, card, kExteriorChannel), settings.Ext_Adjust),
              house.Outside().exteriorC, 0.5 / 2.55);

  // The latch written through the card is what heats the house.
  WriteCardOutputs(house, card, kStage1Bit);
  double before = house.Interior();
  house.AdvanceTo(600);
  EXPECT_GT(house.Interior(), before + 1);
}

struct WeatherFileTest : ::testing::Test {
  std::string Write(const std::string& name, const std::string& bytes) {
    WriteFileBytes(dir.File(name), bytes);
    return dir.File(name);
  }
  TempDir dir;
};

TEST_F(WeatherFileTest, RowsAreInterpolatedAndHeldBeyondTheEnds) {
  std::string path = Write("winter.csv",
                           "time,exterior_C,wind_kmh,sun_pct\r\n"
                           "2024-01-08 00:00,-4,10,0\r\n"
                           "2024-01-08 01:00:00,-2,20,50\r\n");
  Weather weather{WeatherGenerator{}};
  std::string error;
  ASSERT_TRUE(Weather::ReadCsv(path, &weather, &error)) << error;
  double t0 = LocalSeconds(TimeAt("2024-01-08 00:00:00"));
  WeatherSample quarter = weather.At(t0 + 900);
  EXPECT_EQ(std::vector<double>({quarter.exteriorC, quarter.windKmh, quarter.sunPct}),
            std::vector<double>({-3.5, 12.5, 12.5}));
  EXPECT_EQ(weather.At(t0 - 3600).exteriorC, -4);
  EXPECT_EQ(weather.At(t0 + 7200).exteriorC, -2);
}

TEST_F(WeatherFileTest, AFaultyWeatherOrHouseFileIsNamedWithItsLine) {
  struct Row {
    const char* file;
    std::string bytes;
    std::string error;  // after the file's path
  };
  // A weather file is found beside its house file, and its faults are named too.
  Write("w.csv", "2024-01-08 00:00,-4,10\n");
  const Row rows[] = {
      {"bad.csv", "2024-01-08 00:00,-4,10,0\n2024-01-08 01:00,cold,10,0\n",
       " line 2: exterior_C \"cold\" is not a number"},
      {"order.csv", "2024-01-08 01:00,-4,10,0\n2024-01-08 00:00,-3,10,0\n",
       " line 2: the time does not come after"},
      {"house.ini", "[House]\nLoss_W_per_K=150\nLoss_W_per_Kelvin=3\n",
       " line 3: unknown key Loss_W_per_Kelvin in [House]"},
      {"house.ini", "[Weather]\nSeed=1.5\n", " line 2: Seed wants a whole number"},
      {"house.ini", "[House]\nStage1_kW=-3\n", " line 2: Stage1_kW wants a number of at least 0"},
      {"house.ini", "[Garden]\n", " line 1: unknown section [Garden]"},
      {"house.ini", "; a comment\n[Weather]\nFile=w.csv\n",
       " line 1: wants 4 fields (time,exterior_C,wind_kmh,sun_pct), has 3"},
  };
  for (const Row& row : rows) {
    std::string path = Write(row.file, row.bytes);
    std::string error;
    Weather weather{WeatherGenerator{}};
    HouseFile house;
    std::optional<Weather> made;
    bool read = std::string(row.file).ends_with(".csv")
                    ? Weather::ReadCsv(path, &weather, &error)
                    : ReadHouseFile(path, &house, &error) && MakeWeather(house, &made, &error);
    EXPECT_FALSE(read) << row.bytes;
    std::string where = row.bytes.find("w.csv") != std::string::npos ? dir.File("w.csv") : path;
    EXPECT_EQ(error.rfind(where + row.error, 0), 0u) << error;
  }
}

TEST(WeatherGenerator, DawnIsColderThanTheAfternoonAndOnlyDaysAreSunny) {
  WeatherGenerator g;
  g.Front_Swing_C = 0;
  g.Cloudy_Share = 0;
  Weather weather(g);
  double day = 19730 * 86400.0;
  EXPECT_NEAR(weather.At(day + 6 * 3600).exteriorC, g.Mean_C - g.Daily_Swing_C / 2, 1e-9);
  EXPECT_NEAR(weather.At(day + 15 * 3600).exteriorC, g.Mean_C + g.Daily_Swing_C / 2, 1e-9);
  EXPECT_EQ(weather.At(day + 3 * 3600).sunPct, 0);
  EXPECT_NEAR(weather.At(day + 12 * 3600).sunPct, g.Clear_Sun_pct, 1e-9);
}

class PhysicalHouseSimulation : public SimulationFixture {};

TEST_F(PhysicalHouseSimulation, AWeekRunsOnTheCardWithRelaysFollowingTheDecision) {
  SimulationOptions options = Options({"--house", SourceDir() + "/examples/houses/flat.ini", "--start",
                                       "2024-01-08 00:00:00", "--days", "7"});
  long ticks = 0, disagreements = 0, burning = 0;
  double coldest = 99, warmest = -99;
  options.afterTickForTesting = [&](const RunState& state, const PhysicalHouse* house) {
    ASSERT_NE(house, nullptr);
    ++ticks;
    uint8_t latch = house->Card().Latch();
    bool heating = state.control.heatState == HeatState::kOn;
    if (latch != state.card.outputByte || heating != ((latch & kStage1Bit) != 0)) ++disagreements;
    burning += heating ? 1 : 0;
    // The first night runs before the day's program has taken hold.
    if (ticks < 2 * 86400) return;
    coldest = std::min(coldest, house->Interior());
    warmest = std::max(warmest, house->Interior());
  };
  SimulationSummary summary = RunSimulation(options, ui);
  ASSERT_EQ(summary.exitStatus, 0) << summary.error;
  EXPECT_TRUE(summary.cardDetected);
  for (const ScriptedUi::Shown& box : ui.boxes) EXPECT_NE(box.request.caption, "MODE") << box.request.text;
  EXPECT_NE(ReadFileBytes(home.File("Settings.ini")).find("Sim_Mode=0"), std::string::npos);
  EXPECT_EQ(disagreements, 0);
  // The burner ran part of the time and, from the second day on, held the
  // house near its set-points.
  EXPECT_GT(burning, ticks / 20);
  EXPECT_LT(burning, ticks / 2);
  EXPECT_GT(coldest, 14);
  EXPECT_LT(warmest, 24);
  EXPECT_GE(summary.preheats.size(), 10u);
}

// With the heat pump configured, a burn switches it on with the burner; in
// the day's set-back to 19 it then holds that level and no more.
TEST_F(PhysicalHouseSimulation, AfterABurnTheHeatPumpHoldsTheSetbackAndNoMore) {
  std::string settings = ReadFileBytes(home.File("Settings.ini"));
  for (std::string key : {"\nHP=", "\nAuto_HP="})
    settings.replace(settings.find(key + "0"), key.size() + 1, key + "1");
  WriteFileBytes(home.File("Settings.ini"), settings);
  SimulationOptions options = Options({"--house", SourceDir() + "/examples/houses/heatpump.ini", "--start",
                                       "2024-01-08 00:00:00", "--days", "0.69"});
  double warmest = 0;
  long pumping = 0;
  options.afterTickForTesting = [&](const RunState& state, const PhysicalHouse* house) {
    int32_t now = state.clock.clockSeconds;
    if (now < 9 * 3600 + 1800 || now > 16 * 3600) return;  // the day's set-back, settled
    ASSERT_EQ(state.control.heatMode, HeatMode::kSetBack);
    ASSERT_EQ(state.control.heatPumpHold, 0);
    warmest = std::max(warmest, house->Interior());
    if ((house->Card().Latch() & kHeatPumpBit) != 0) ++pumping;
  };
  SimulationSummary summary = RunSimulation(options, ui);
  ASSERT_EQ(summary.exitStatus, 0) << summary.error;
  EXPECT_LT(warmest, 19.6);
  EXPECT_GT(pumping, 0);
}

TEST_F(PhysicalHouseSimulation, ABadHouseFileStopsBeforeTheProgramStarts) {
  WriteFileBytes(home.File("house.ini"), "[House]\nWindows=4\n");
  SimulationSummary summary = Run({"--house", home.File("house.ini")});
  EXPECT_EQ(summary.exitStatus, 2);
  EXPECT_EQ(summary.error, home.File("house.ini") + " line 2: unknown key Windows in [House]");
  EXPECT_NE(ReadFileBytes(home.File("Settings.ini")).find("Sim_Mode=1"), std::string::npos);
  EXPECT_EQ(summary.passes, 0);
}

}  // namespace
}  // namespace kelvora::testing
