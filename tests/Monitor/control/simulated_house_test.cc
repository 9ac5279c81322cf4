// The simulated house that stands in for the card, and the card's own readings.
#include "Monitor/control/simulated_house.h"

#include <gtest/gtest.h>

#include <chrono>

#include "platform/fake_card.h"
#include "tests/support/program_fixture.h"

namespace kelvora {
namespace {

using std::chrono::minutes;
using std::chrono::seconds;

class SimulatedHouseTest : public ::testing::Test {
 protected:
  SimulatedHouseTest() : clock(testing::TimeAt("2019-01-10 06:00:00")) {
    state.card.simulationMode = 1;
    state.card.inputPort = state.card.outputPort = kNoPort;
    state.control.capacities.windHour = 30;
    state.control.cycleLog.Dimension(500, 5);
    state.control.windRing.Dimension(1);
    state.control.windHourRing.Dimension(30);
    random.Seed(11);
    // Row 1: the burner off since 06:00.
    state.control.cycleIndex = 1;
  }

  float Read(int8_t channel) { return ReadChannel(HousePartsOf(state), context, channel); }
  float Cycle(int row, CycleColumn column) { return state.control.cycleLog(row, column); }

  // Starts row `row` as a cycle in `cycleState` from now, at `interior` degrees.
  void StartCycle(int row, float cycleState, float interior) {
    Table<float>& log = state.control.cycleLog;
    log(row, kCycleState) = cycleState;
    log(row, kCycleStart) = static_cast<float>(SecondsOfDay(clock.Now()));
    log(row, kCycleInterior) = interior;
    state.control.cycleIndex = row;
  }

  RunState state;
  VirtualClock clock;
  NullPorts ports;
  UniformRandom random;
  SensorContext context{ports, clock, random};
};

// Only the interior channel appends.
TEST_F(SimulatedHouseTest, ALongSilenceAppendsARowThatContinuesTheCycle) {
  Read(kInteriorChannel);
  state.control.cycleLog(1, kCycleDuration) = 600;
  state.control.cycleLog(1, kCycleEnergy) = 1.5f;
  clock.Advance(seconds(1801));
  Read(kInteriorChannel);
  ASSERT_EQ(state.control.cycleIndex, 2);
  EXPECT_FLOAT_EQ(Cycle(2, kCycleStart), 6 * 3600 + 600);
  EXPECT_FLOAT_EQ(Cycle(2, kCycleDuration), 1801 - 600);
  EXPECT_FLOAT_EQ(Cycle(2, kCycleEnergy), 1.5f);
  clock.Advance(seconds(1801));
  Read(kExteriorChannel);
  EXPECT_EQ(state.control.cycleIndex, 2);
}

TEST(CardReadingTest, WithACardTheByteReadIsTheValue) {
  VirtualClock clock(testing::TimeAt("2019-01-10 06:00:00"));
  FakeCard card;
  card.Place(FakeCard::Layout::kPci, 0xD000);
  card.SetChannel(kInteriorChannel, 233);
  UniformRandom random;
  SensorContext context{card, clock, random};
  RunState state;
  state.card.cardKind = "PCI";
  state.card.inputPort = 0xD000;
  state.card.outputPort = 0xD010;
  EXPECT_EQ(ReadChannel(HousePartsOf(state), context, kInteriorChannel), 233);
}

}  // namespace
}  // namespace kelvora
