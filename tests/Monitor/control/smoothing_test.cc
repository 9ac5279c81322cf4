#include "Monitor/control/smoothing.h"

#include <gtest/gtest.h>

namespace kelvora {
namespace {

class SmoothingTest : public ::testing::Test {
 protected:
  SmoothingTest() { ring.Dimension(3); }
  float Push(float sample) { return PushSample(ring, cursor, 3, sample); }

  Table<float> ring;
  RingCursor cursor;
};

// Until the ring is full the mean is of the samples pushed so far.
TEST_F(SmoothingTest, FullRingDropsItsOldestSample) {
  EXPECT_FLOAT_EQ(Push(1), 1);
  EXPECT_FLOAT_EQ(Push(2), 1.5f);
  EXPECT_FLOAT_EQ(Push(3), 2);
  EXPECT_FLOAT_EQ(Push(10), 5);  // 2, 3, 10
  EXPECT_FLOAT_EQ(Push(10), 23.0f / 3);
}

}  // namespace
}  // namespace kelvora
