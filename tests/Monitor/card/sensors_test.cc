// Sensor conversions.
#include "Monitor/card/sensors.h"

#include <gtest/gtest.h>

namespace kelvora {
namespace {

TEST(SensorConversionTest, RawValuesReadAsDegreesPercentAndSpeed) {
  EXPECT_FLOAT_EQ(InteriorFromRaw(150, 0), 20.0f);
  EXPECT_FLOAT_EQ(InteriorFromRaw(150, -1.5f), 18.5f);
  EXPECT_NEAR(ExteriorFromRaw(128, 0), 0.196f, 0.001f);
  EXPECT_NEAR(ExteriorFromRaw(127.5f, 0), 0.0f, 1e-5f);
  EXPECT_FLOAT_EQ(SunFromRaw(255), 100.0f);
}

TEST(SensorConversionTest, WindReadsZeroUpToItsStartAndFullScaleAt255) {
  EXPECT_FLOAT_EQ(WindFromRaw(10, 10, 1), 0.0f);
  EXPECT_FLOAT_EQ(WindFromRaw(3, 10, 1), 0.0f);
  EXPECT_NEAR(WindFromRaw(255, 10, 1), 116.64f, 1e-4f);
  EXPECT_NEAR(WindFromRaw(255, 10, 0.5f), 58.32f, 1e-4f);
  // An anemometer that starts at full scale reads no wind rather than 0/0.
  EXPECT_EQ(WindFromRaw(255, 255, 1), 0.0f);
}

TEST(SensorConversionTest, TheInverseWindConversionReadsBackTheSpeed) {
  for (float start : {0.0f, 10.0f, 40.0f}) {
    for (float kmh : {0.5f, 12.0f, 80.0f}) {
      EXPECT_NEAR(WindFromRaw(WindToRaw(kmh, start, 1.25f), start, 1.25f), kmh, 1e-3f) << start;
    }
  }
}

}  // namespace
}  // namespace kelvora
