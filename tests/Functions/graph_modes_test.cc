#include "Functions/graph_modes.h"

#include "gtest/gtest.h"

namespace kelvora {
namespace {

TEST(GraphModes, ChoosesTheLargestCandidateNarrowerThanTheDesktopAtItsDepth) {
  EXPECT_EQ(ChooseScreenMode({1920, 1080, 8}), 21);
  EXPECT_EQ(ChooseScreenMode({1920, 1080, 32}), 21);  // deeper desktops count as 8 bits
  EXPECT_EQ(ChooseScreenMode({1280, 1024, 8}), 20);   // a candidate must be narrower, not as wide
  EXPECT_EQ(ChooseScreenMode({1920, 1080, 6}), 12);   // no canvas at 6 bits: 4 bits
  EXPECT_EQ(ChooseScreenMode({700, 500, 2}), 11);     // below 3 bits: 1 bit
  EXPECT_EQ(ChooseScreenMode({320, 200, 8}), 0);
}

TEST(GraphModes, AnOpenedModeDescribesItsPixelsAndTextCells) {
  ScreenDescription screen;
  EXPECT_EQ(OpenScreenMode(screen, {1920, 1080, 24}), 21);
  EXPECT_EQ(screen.width, 1280);
  EXPECT_EQ(screen.height, 1024);
  EXPECT_EQ(screen.depth, 8);
  EXPECT_EQ(screen.columns, 160);
  EXPECT_EQ(screen.rows, 64);
  screen = ScreenDescription{13};
  EXPECT_EQ(OpenScreenMode(screen, {}), 13);
  EXPECT_EQ(screen.columns, 40);
  EXPECT_EQ(screen.rows, 25);
  screen = ScreenDescription{3};
  EXPECT_EQ(OpenScreenMode(screen, {1920, 1080, 8}), 0);
}

}  // namespace
}  // namespace kelvora
