#include "Monitor/control/heating.h"

#include <gtest/gtest.h>

#include "Monitor/core/clock_text.h"
#include "tests/support/test_host.h"

namespace kelvora::testing {
namespace {

// Counts the learning calls and can make a pre-heat due at once.
class CountingLearning : public NullLearning {
 public:
  explicit CountingLearning(ControlHost& host) : host_(host) {}
  void ComputePreheatDuration(float) override {
    LearningState& l = host_.State().learning;
    l.estimatedPreheatSeconds = leadSeconds;
    l.estimatedArrival = host_.State().clock.clockSeconds + leadSeconds;
  }

  int32_t leadSeconds = 0;

 private:
  ControlHost& host_;
};

class HeatingHost : public TestHost {
 public:
  LearningOperations& Learning() override { return learning; }
  CountingLearning learning{*this};
};

// A day of 17 degrees with comfort at 21 from 06:30 to 22:30.
class HeatingTest : public ::testing::Test {
 protected:
  HeatingTest() {
    ScheduleState& s = host.state.schedule;
    s.slotCount = 2;
    s.daySlots[0] = {"00:00", "06:30", ""};
    s.daySlots[1] = {"06:30", "22:30", ""};
    s.daySlots[2] = {"22:30", "24:00", ""};
    s.daySlots[3] = {"24:00", "99:99", ""};
    s.slotTemps[0] = 17;
    s.slotTemps[1] = 21;
    s.slotTemps[2] = 17;
    s.slotTemps[3] = 17;
    host.state.settings.Temp_Dwell = 0.04f;
    host.state.control.cycleIndex = 1;
    AtSlot(1, "12:00");
  }

  void AtSlot(uint8_t slot, const std::string& time) {
    ScheduleState& s = host.state.schedule;
    s.currentSlot = slot;
    s.nextSlot = slot + 1;
    s.nextSetpoint = s.slotTemps[s.nextSlot];
    std::string text = time;
    host.state.clock.clockSeconds = ParseClockTime(text).seconds;
  }

  // One decision at `interior`, with the previous set-point noted as the pass does.
  void Pass(float interior) {
    host.state.control.interiorTemp = interior;
    host.state.control.previousSetpoint = host.state.control.setpoint;
    HeatingDecision(HeatingPartsOf(host));
    ++host.state.clock.clockSeconds;
  }

  // In the night's set-back at `time`, before the comfort period of 06:30.
  void InSetback(const std::string& time) {
    ControlState& c = host.state.control;
    host.state.schedule.programTemp = 17;
    c.heatMode = HeatMode::kSetBack;
    c.setpoint = 17;
    c.setBackActive = 1;
    c.lowSlot = 0;
    AtSlot(0, time);
  }

  HeatingHost host;
};

TEST_F(HeatingTest, ANonsenseTemperatureLabelPlansNoStepsInsteadOfWrapping) {
  host.state.schedule.slotTemps[1] = -9999;
  InSetback("05:00");
  host.learning.leadSeconds = 3 * 3600;
  Pass(17.5f);
  EXPECT_EQ(host.state.learning.stepsToGain, 0);
}

TEST_F(HeatingTest, WeatherModesStartOnlyBeyondTheirThresholds) {
  RunState& s = host.state;
  s.settings.COLD_Mode = 1;
  s.settings.WIND_Floor = 30;
  s.settings.Ext_Temp_Ceil = -20;
  s.settings.SUNNY_Econo_Mode = 1;
  s.settings.SUN_Floor = 50;
  s.settings.Ext_Temp_Floor = 10;
  s.control.exteriorTemp = -25;
  s.control.windHour = 30.5f;
  WeatherModes(s.control, s.settings, s.schedule.programTemp);
  EXPECT_EQ(s.control.coldRaise, 0);
  s.control.windHour = 30.51f;
  WeatherModes(s.control, s.settings, s.schedule.programTemp);
  EXPECT_EQ(s.control.weatherMode, WeatherMode::kCold);
  EXPECT_EQ(s.control.coldRaise, 1);

  s.control.exteriorTemp = 12;
  s.control.sunHour = 50.09f;
  WeatherModes(s.control, s.settings, s.schedule.programTemp);
  EXPECT_EQ(s.control.sunnyDrop, 0);
  s.control.sunHour = 50.1f;
  WeatherModes(s.control, s.settings, s.schedule.programTemp);
  EXPECT_EQ(s.control.weatherMode, WeatherMode::kSunny);
  EXPECT_EQ(s.control.weatherOffset, -1);
}

}  // namespace
}  // namespace kelvora::testing
