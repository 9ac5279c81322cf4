#include "Functions/masks.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

#include "gtest/gtest.h"

namespace kelvora {
namespace {

// Masks with the degree sign, the single byte 0xB0 (octal 260) of the dialogs' code page.
const std::string kCelsiusMask = "+##.##\260C";
const std::string kPlainCelsiusMask = "##.##\260C";

struct MaskRow {
  std::string mask;
  std::string results[5];  // for 0, 3.14159, -3.14159, 21.5, 1234.5678
};

// The masks the dialogs use, against the values that exercise them.
const MaskRow kMaskTable[] = {
    {"###.##", {"  0.00", "  3.14", "  3.14", " 21.50", "1234.57"}},
    {kCelsiusMask, {" +0.00\260C", " +3.14\260C", " -3.14\260C", "+21.50\260C", "+1234.57\260C"}},
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
    for (int i = 0; i < 5; ++i) {
      EXPECT_EQ(Using(row.mask, values[i]), row.results[i])
          << "mask \"" << row.mask << "\" value " << values[i];
    }
  }
}

TEST(Using, WholeRoundingSumStaysWhole) {
  EXPECT_EQ(Using("###", 0.5f), "  1");
  EXPECT_EQ(Using("###", 99999.5f), "100000");
}

TEST(Using, NumberWiderThanTheFieldGrowsInsteadOfBeingCut) {
  EXPECT_EQ(Using("##", 12345), "12345");
  EXPECT_EQ(Using("x##y", -123.4f), "x123y");
}

TEST(Using, ExactHalvesRoundUpInMagnitude) {
  EXPECT_EQ(Using("#.##", 0.125f), "0.13");
  EXPECT_EQ(Using("-#.##", -0.125f), "-0.13");
}

TEST(Using, DecimalStoredJustBelowItsHalfRoundsDown) { EXPECT_EQ(Using("#.##", 2.675f), "2.67"); }

TEST(Using, DigitsBeyondTheDecimalsAreTruncatedAfterTheHalfUnit) {
  EXPECT_EQ(Using("-###.###", 0.995f), "   0.995");
  EXPECT_EQ(Using("###.##", 0.995f), "  1.00");
}

TEST(Using, SignFollowsTheValueNotTheRoundedDigits) { EXPECT_EQ(Using("+##.##", -0.004f), " -0.00"); }

TEST(Using, MinusSignPositionShowsBlankForPositiveValue) {
  EXPECT_EQ(Using("-###", 3), "   3");
  EXPECT_EQ(Using("-###", 0), "   0");
}

TEST(Using, NegativeValueWithoutSignPositionShowsMagnitude) {
  EXPECT_EQ(Using(kPlainCelsiusMask, -5.25f), " 5.25\260C");
}

TEST(Using, NegativeZeroIsNotNegative) { EXPECT_EQ(Using("+#.#", -0.0f), "+0.0"); }

TEST(Using, MinusAfterPlusMakesTheLeadingSignMinus) {
  EXPECT_EQ(Using("-+##", 5), "   5");
  EXPECT_EQ(Using("-+##", -5), "  -5");
}

TEST(Using, PlusBeforeMinusStaysLiteralText) {
  // Only the "-" touches the field; the "+" in front of it is prefix.
  EXPECT_EQ(Using("+-##", -5), "+ -5");
}

TEST(Using, TrailingSignPositionAppendsTheSign) {
  EXPECT_EQ(Using("##.#+", 2.25f), " 2.3+");
  EXPECT_EQ(Using("##.#-", 2.25f), " 2.3 ");
  EXPECT_EQ(Using("##.#-", -2.25f), " 2.3-");
}

TEST(Using, SignPositionsOnBothSidesBothShowTheSign) { EXPECT_EQ(Using("+##+", -7), " -7-"); }

TEST(Using, LiteralTextAroundTheFieldIsCopiedAsItStands) {
  EXPECT_EQ(Using("T=#.# kw  ", 1.25f), "T=1.3 kw  ");
  EXPECT_EQ(Using("###:", 42), " 42:");
}

TEST(Using, PointBeforeTheFirstDigitJoinsTheField) {
  // A field without whole-number positions shows no leading zero.
  EXPECT_EQ(Using(".##", 0.5f), ".50");
  EXPECT_EQ(Using("-.##", -0.25f), "-.25");
  EXPECT_EQ(Using(".##", 1.5f), "1.50");
}

TEST(Using, OnlyOnePointBeforeTheFirstDigitJoins) { EXPECT_EQ(Using("..##", 0.5f), "..50"); }

TEST(Using, LastPointOfTheFieldIsTheDecimalPoint) {
  EXPECT_EQ(Using("###.", 3.14f), "  3.");
  EXPECT_EQ(Using("#.#.##", 3.14159f), "  3.14");
}

TEST(Using, FieldWithDecimalsAlwaysShowsThemAll) {
  // The sum would otherwise print in exponent form or lose its fraction.
  EXPECT_EQ(Using("#.#####", 0), "0.00000");
  EXPECT_EQ(Using("#.######", 6.0e-7f), "0.000001");
  EXPECT_EQ(Using("###.##", 1.0e20f), "100000002004087700000.00");
}

TEST(Using, HugeValueIsWrittenOutInDigits) {
  EXPECT_EQ(Using("###", 3.0e38f), "300000000549775600000000000000000000000");
}

TEST(Using, NonFiniteValueShowsAWord) {
  EXPECT_EQ(Using("+###.#", -std::numeric_limits<float>::infinity()), "  -inf");
  EXPECT_EQ(Using("###.#", std::numeric_limits<float>::quiet_NaN()), "  nan");
}

TEST(Using, MaskWithoutDigitPositionIsReturnedAsItStands) {
  EXPECT_EQ(Using("n/a", 5), "n/a");
  EXPECT_EQ(Using("", 5), "");
}

TEST(Using, MaskIsCutTo127Characters) {
  const std::string padding(126, 'x');
  EXPECT_EQ(Using(padding + "#", 7), padding + "7");
  EXPECT_EQ(Using(padding + "x#", 7), padding + "x");
}

TEST(Using, MagnitudeDigitsMatchSixteenSignificantDigitsOfTheSum) {
  // Within the range the program formats, the digits are those of "%.16g".
  std::mt19937 random(20190615);
  std::uniform_real_distribution<float> values(-99999.0f, 99999.0f);
  for (int i = 0; i < 2000; ++i) {
    const float value = values(random);
    char expected[64];
    std::snprintf(expected, sizeof expected, "%.16g", std::fabs(static_cast<double>(value)) + 0.0005);
    std::string digits = expected;
    digits.resize(digits.find('.') + 4, '0');
    digits.insert(0, 14 - digits.size(), ' ');
    ASSERT_EQ(Using("##########.###", value), digits) << "value " << value;
  }
}

}  // namespace
}  // namespace kelvora
