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
  const auto described = [](short mode, Desktop desktop) {
    ScreenDescription screen{mode};
    const int opened = OpenScreenMode(screen, desktop);
    return std::vector<int>{opened, screen.width, screen.height, screen.depth, screen.columns, screen.rows};
  };
  EXPECT_EQ(described(0, {1920, 1080, 24}), (std::vector<int>{21, 1280, 1024, 8, 160, 64}));
  EXPECT_EQ(described(13, {}), (std::vector<int>{13, 320, 200, 8, 40, 25}));
  EXPECT_EQ(described(3, {1920, 1080, 8})[0], 0);
}

}  // namespace
}  // namespace kelvora
