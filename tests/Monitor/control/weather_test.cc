#include "Monitor/control/weather.h"

#include <gtest/gtest.h>

#include "Monitor/card/sensors.h"
#include "tests/support/test_host.h"

namespace kelvora::testing {
namespace {

class WeatherTest : public ::testing::Test {
 protected:
  ControlState& control() { return host.state.control; }
  Settings& settings() { return host.state.settings; }
  // One minute step with the given sun; `minute` is the clock's last minute digit.
  void Minute(int minute, float sun) {
    control().sunNow = sun;
    MinuteStep(host.state.control, host.state.settings, "10:" + std::to_string(10 + minute) + ":00");
  }
  void Quarter(float exterior, float sun = 0) {
    control().exteriorTempRaw = exterior;
    control().sunHour = sun;
    QuarterHourStep(host.state.control);
  }

  TestHost host;
};

TEST_F(WeatherTest, SunAboveTheCeilingIsLearnedAndWrittenInTheSameSecond) {
  host.channels[kSunChannel] = 204;  // 80 %
  ReadSensors(SensorPartsOf(host.state), host, host.Profile());
  EXPECT_EQ(ReadFileBytes(host.home.path() + "/Settings.ini"), "[System]\r\nSun_Sensor_Ceil=80%\r\n");
  EXPECT_FLOAT_EQ(settings().Sun_Sensor_Ceil, 80);
  EXPECT_FLOAT_EQ(control().sunNow, 100);
}

TEST_F(WeatherTest, DarkSensorThatNeverSawLightShowsNoSun) {
  ReadSensors(SensorPartsOf(host.state), host, host.Profile());
  EXPECT_EQ(control().sunNow, 0);
}

TEST_F(WeatherTest, NegativeSunCurveWithoutSunLeavesExteriorFinite) {
  host.channels[kExteriorChannel] = 153;
  settings().SUN_Adjust = 4;
  settings().SUN_Adj_Curve = -1;
  ReadSensors(SensorPartsOf(host.state), host, host.Profile());
  EXPECT_NEAR(control().exteriorTemp, 10, 1e-4);
}

TEST_F(WeatherTest, ChangedWindFloorEmptiesTheSunWindowAtTheNextMinute) {
  Minute(1, 40);
  Minute(2, 40);
  settings().WIND_Floor = 10;
  Minute(2, 0);  // same minute: nothing happens yet
  EXPECT_FLOAT_EQ(control().sunCorrection, 40);
  Minute(3, 20);
  EXPECT_FLOAT_EQ(control().sunCorrection, 20);
  EXPECT_FLOAT_EQ(control().sunHour, 100.0f / 3);
}

TEST_F(WeatherTest, WindFloorBeyondTheRingKeepsTheWholeRing) {
  settings().WIND_Floor = 75;
  Minute(1, 60);
  Minute(2, 0);
  EXPECT_FLOAT_EQ(control().sunCorrection, 30);
  EXPECT_EQ(control().sunCorrectionWindow, 60);
}

TEST_F(WeatherTest, ClockSetBackCannotOverfillTheQuarterLog) {
  for (int row = 1; row <= 100; ++row) Quarter(static_cast<float>(row));
  EXPECT_EQ(control().quarterRows, 96);
  EXPECT_FLOAT_EQ(control().quarterLog(96, 1), 100);
}

}  // namespace
}  // namespace kelvora::testing
