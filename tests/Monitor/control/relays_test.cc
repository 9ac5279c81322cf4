#include "Monitor/control/relays.h"

#include <gtest/gtest.h>

#include "tests/support/test_host.h"

namespace kelvora::testing {
namespace {

constexpr uint8_t kFanLow = 1, kFanHigh = 2, kHeatPump = 16;

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

TEST_F(RelaysTest, NoConfigKeysMeanHeatingWithoutHeatPumpUntilItIsConfigured) {
  ConfigureRelays(relays());
  EXPECT_EQ(card().stage1Mask | card().stage2Mask | card().fanLowMask | card().fanHighMask, 15);
  EXPECT_EQ(card().heatPumpMask, 0);
  EXPECT_EQ(card().heatPumpPower, 0);
  settings().HP = 1;
  ConfigureRelays(relays());
  EXPECT_EQ(card().heatPumpMask, kHeatPump);
  EXPECT_FLOAT_EQ(card().heatPumpPower, 2.0f);
}

TEST_F(RelaysTest, AutomaticHeatPumpClearsContinuous) {
  settings().HP = 1;
  settings().Auto_HP = 1;
  settings().HP_Cont = 1;
  ConfigureRelays(relays());
  EXPECT_EQ(settings().HP_Cont, 0);
  EXPECT_EQ(card().outputByte, kHeatPump);  // automatic in a comfort period
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

// In comfort the level is the set-point and HP_SetForward, 20.5; in a
// set-back, switched on by a burn, the set-back's own. Within the hysteresis
// either side the relay holds.
TEST_F(RelaysTest, HeatPumpFollowsItsLevelWithHysteresis) {
  const struct {
    HeatMode mode;
    float interior, setpoint;
    uint8_t byte;
  } steps[] = {{HeatMode::kComfort, 20.49f, 20, kHeatPump}, {HeatMode::kComfort, 20.503f, 20, kHeatPump},
               {HeatMode::kComfort, 20.51f, 20, 0},         {HeatMode::kComfort, 20.497f, 20, 0},
               {HeatMode::kSetBack, 17.4f, 17, kHeatPump},  {HeatMode::kSetBack, 17.6f, 17, 0}};
  for (const auto& step : steps) {
    control().heatMode = step.mode;
    HeatPumpAt(step.interior, step.setpoint);
    EXPECT_EQ(card().outputByte, step.byte) << step.interior;
  }
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

TEST_F(RelaysTest, OffRowRecordsWhetherTheHeatPumpRunsAndTheContinuousFanStays) {
  control().cycleState = CycleCode::kHeatPumpWait;
  HeatPumpAt(19);
  EXPECT_EQ(control().cycleState, CycleCode::kHeatPump);
  control().cycleState = CycleCode::kHeatPumpWait;
  control().contFanBits = kFanLow;
  card().outputByte = kFanLow | kHeatPump;
  HeatPumpAt(21);
  EXPECT_EQ(control().cycleState, CycleCode::kOff);
  EXPECT_EQ(card().outputByte, kFanLow);
}

}  // namespace
}  // namespace kelvora::testing
