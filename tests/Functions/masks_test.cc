#include "Functions/masks.h"

#include <limits>
#include <string>

#include "gtest/gtest.h"

namespace kelvora {
namespace {

struct MaskRow {
  std::string mask;
  std::string results[5];  // for 0, 3.14159, -3.14159, 21.5, 1234.5678
};

// The masks the dialogs use, against the values that exercise them. The degree
// sign is the single byte 0xB0 (octal 260) of the dialogs' code page.
const MaskRow kMaskTable[] = {
    {"###.##", {"  0.00", "  3.14", "  3.14", " 21.50", "1234.57"}},
    {"+##.##\260C", {" +0.00\260C", " +3.14\260C", " -3.14\260C", "+21.50\260C", "+1234.57\260C"}},
    {"-###.###", {"   0.000", "   3.142", "  -3.142", "  21.500", " 1234.568"}},
    {"-###", {"   0", "   3", "  -3", "  22", " 1235"}},
    {"###.#%", {"  0.0%", "  3.1%", "  3.1%", " 21.5%", "1234.6%"}},
    {"(##.##%)", {"( 0.00%)", "( 3.14%)", "( 3.14%)", "(21.50%)", "(1234.57%)"}},
    {"####.## hre", {"   0.00 hre", "   3.14 hre", "   3.14 hre", "  21.50 hre", "1234.57 hre"}},
    {"  ### :", {"    0 :", "    3 :", "    3 :", "   22 :", "  1235 :"}},
    {"#.##", {"0.00", "3.14", "3.14", "21.50", "1234.57"}},
};

TEST(Using, EveryMaskOfTheTableGivesItsText) {
  const float values[5] = {0.0f, 3.14159f, -3.14159f, 21.5f, 1234.5678f};
  for (const MaskRow& row : kMaskTable) {
    for (int i = 0; i < 5; ++i)
      EXPECT_EQ(Using(row.mask, values[i]), row.results[i]) << row.mask << values[i];
  }
}

TEST(Using, WholeRoundingSumStaysWholeAndGrowsPastTheField) {
  EXPECT_EQ(Using("###", 0.5f), "  1");
  EXPECT_EQ(Using("###", 99999.5f), "100000");
}

TEST(Using, HalvesRoundUpInMagnitudeOfTheStoredSingle) {
  EXPECT_EQ(Using("#.##", 0.125f), "0.13");
  EXPECT_EQ(Using("-#.##", -0.125f), "-0.13");
  EXPECT_EQ(Using("#.##", 2.675f), "2.67");  // stored just below 2.675
}

TEST(Using, DigitsBeyondTheDecimalsAreTruncatedAfterTheHalfUnit) {
  EXPECT_EQ(Using("-###.###", 0.995f), "   0.995");
  EXPECT_EQ(Using("###.##", 0.995f), "  1.00");
}

TEST(Using, SignFollowsTheValueNotTheRoundedDigits) {
  EXPECT_EQ(Using("+##.##", -0.004f), " -0.00");
  EXPECT_EQ(Using("+#.#", -0.0f), "+0.0");
}

TEST(Using, NegativeValueWithoutSignPositionShowsMagnitude) {
  EXPECT_EQ(Using("##.##\260C", -5.25f), " 5.25\260C");
}

TEST(Using, SignPositionsJoinTheFieldOnEitherSide) {
  EXPECT_EQ(Using("-+##", 5), "   5");   // a "-" before the "+" makes the sign "-"
  EXPECT_EQ(Using("+-##", -5), "+ -5");  // a "+" before the "-" stays literal text
  EXPECT_EQ(Using("##.#+", 2.25f), " 2.3+");
  EXPECT_EQ(Using("##.#-", 2.25f), " 2.3 ");
  EXPECT_EQ(Using("+##+", -7), " -7-");
}

TEST(Using, OnePointBeforeTheFirstDigitJoinsTheField) {
  // A field without whole-number positions shows no leading zero.
  EXPECT_EQ(Using(".##", 0.5f), ".50");
  EXPECT_EQ(Using(".##", 1.5f), "1.50");
  EXPECT_EQ(Using("..##", 0.5f), "..50");
}

TEST(Using, LastPointOfTheFieldIsTheDecimalPoint) {
  EXPECT_EQ(Using("###.", 3.14f), "  3.");
  EXPECT_EQ(Using("#.#.##", 3.14159f), "  3.14");
}

TEST(Using, TinyAndHugeSumsAreWrittenOutInDigits) {
  // "%.16g" would switch to exponent form for these sums.
  EXPECT_EQ(Using("#.#####", 0), "0.00000");
  EXPECT_EQ(Using("###.##", 1.0e20f), "100000002004087700000.00");
  EXPECT_EQ(Using("###", 3.0e38f), "300000000549775600000000000000000000000");
}

TEST(Using, NonFiniteValueShowsAWord) {
  EXPECT_EQ(Using("+###.#", -std::numeric_limits<float>::infinity()), "  -inf");
  EXPECT_EQ(Using("###.#", std::numeric_limits<float>::quiet_NaN()), "  nan");
}

TEST(Using, MaskWithoutDigitPositionIsReturnedAsItStands) { EXPECT_EQ(Using("n/a", 5), "n/a"); }

TEST(Using, MaskIsCutTo127Characters) {
  const std::string padding(126, 'x');
  EXPECT_EQ(Using(padding + "#", 7), padding + "7");
  EXPECT_EQ(Using(padding + "x#", 7), padding + "x");
}

}  // namespace
}  // namespace kelvora
