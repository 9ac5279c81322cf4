#include "Monitor/control/relays.h"

#include <gtest/gtest.h>

#include "tests/support/test_host.h"

namespace kelvora::testing {
namespace {

constexpr uint8_t kFanLow = 1, kFanHigh = 2, kStage1 = 4, kStage2 = 8, kHeatPump = 16;

class RelaysTest : public ::testing::Test {
 protected:
  RelaysTest() {
    control().heatMode = HeatMode::kComfort;
    card().outputByte = 0;
  }
  Settings& settings() { return host.state.settings; }
  CardState& card() { return host.state.card; }
  ControlState& control() { return host.state.control; }
  RelayParts relays() { return {settings(), card(), control()}; }
  // A heat-pump installation at a set-point of 20 degrees, or `setpoint`.
  void HeatPumpAt(float interior, float setpoint = 20) {
    settings().HP = 1;
    settings().HP_SetForward = 0.5f;
    control().setpoint = setpoint;
    control().interiorTemp = interior;
    HeatPumpDecision(relays(), host.state.schedule, host.state.learning.estimatedArrival);
  }

  TestHost host;
};

TEST_F(RelaysTest, NoConfigKeysMeanHeatingWithoutHeatPump) {
  ConfigureRelays(relays());
  EXPECT_EQ(card().stage1Mask | card().stage2Mask | card().fanLowMask | card().fanHighMask, 15);
  EXPECT_EQ(card().heatPumpMask, 0);
  EXPECT_EQ(card().heatPumpPower, 0);
}

TEST_F(RelaysTest, AutomaticHeatPumpClearsContinuous) {
  settings().HP = 1;
  settings().Auto_HP = 1;
  settings().HP_Cont = 1;
  ConfigureRelays(relays());
  EXPECT_EQ(settings().HP_Cont, 0);
  EXPECT_EQ(card().outputByte, kHeatPump);  // automatic in a comfort period
}

TEST_F(RelaysTest, HeatPumpConfiguredAgainGetsItsRelayBack) {
  ConfigureRelays(relays());
  settings().HP = 1;
  ConfigureRelays(relays());
  EXPECT_EQ(card().heatPumpMask, kHeatPump);
  EXPECT_FLOAT_EQ(card().heatPumpPower, 2.0f);
}

TEST_F(RelaysTest, ContinuousFanRunsAfterAMidnightReloadWithoutHeating) {
  settings().HT = 0;
  settings().AC = 1;
  settings().Cont_Fan = 1;
  settings().Fan_Speed = 1;
  ConfigureRelays(relays());  // start-up
  ConfigureRelays(relays());  // midnight: the masks are 0 by now
  EXPECT_EQ(control().contFanBits, kFanHigh);
  EXPECT_EQ(card().outputByte, kFanHigh);
}

// The level is 20.5; within the hysteresis either side the relay holds.
TEST_F(RelaysTest, HeatPumpFollowsSetForwardWithHysteresis) {
  HeatPumpAt(20.49f);
  EXPECT_EQ(card().outputByte, kHeatPump);
  HeatPumpAt(20.503f);
  EXPECT_EQ(card().outputByte, kHeatPump);
  HeatPumpAt(20.51f);
  EXPECT_EQ(card().outputByte, 0);
  HeatPumpAt(20.497f);
  EXPECT_EQ(card().outputByte, 0);
}

TEST_F(RelaysTest, HeatPumpStartsWhenAWarmerSlotsPreheatIsDueInFiveMinutes) {
  control().heatMode = HeatMode::kSetBack;
  host.state.schedule.currentSlot = 1;
  host.state.schedule.slotTemps[2] = 21;
  host.state.schedule.programTemp = 17;
  control().pendingSlotEnd = 6 * 3600;
  host.state.learning.estimatedArrival = 6 * 3600 - 301;
  HeatPumpAt(18, 17);
  EXPECT_EQ(card().outputByte, 0);
  host.state.learning.estimatedArrival = 6 * 3600 - 300;
  HeatPumpAt(18, 17);
  EXPECT_EQ(card().outputByte, kHeatPump);
}

// Switched on by a burn, the heat pump then holds the set-back's level.
TEST_F(RelaysTest, InASetbackTheHeatPumpFollowsTheSetbackLevel) {
  control().heatMode = HeatMode::kSetBack;
  card().outputByte = kHeatPump;
  HeatPumpAt(17.6f, 17);
  EXPECT_EQ(card().outputByte, 0);
  HeatPumpAt(17.4f, 17);
  EXPECT_EQ(card().outputByte, kHeatPump);
}

TEST_F(RelaysTest, OffRowRecordsWhetherTheHeatPumpRuns) {
  control().cycleState = CycleCode::kHeatPumpWait;
  HeatPumpAt(19);
  EXPECT_EQ(control().cycleState, CycleCode::kHeatPump);
  control().cycleState = CycleCode::kHeatPumpWait;
  HeatPumpAt(21);
  EXPECT_EQ(control().cycleState, CycleCode::kOff);
}

TEST_F(RelaysTest, ContinuousFanStaysOnWhenTheHeatPumpStops) {
  control().contFanBits = kFanLow;
  card().outputByte = kFanLow | kHeatPump;
  HeatPumpAt(21);
  EXPECT_EQ(card().outputByte, kFanLow);
}

}  // namespace
}  // namespace kelvora::testing
