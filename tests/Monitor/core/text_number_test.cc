#include "Monitor/core/text_number.h"

#include <gtest/gtest.h>

#include <bit>
#include <limits>
#include <string>

namespace kelvora {
namespace {

// --- Reading ---------------------------------------------------------------

TEST(ReadNumber, TakesTheLongestLeadingNumberAndIgnoresTheRest) {
  EXPECT_EQ(ReadNumber("50%"), 50);
  EXPECT_EQ(ReadNumber("  -1.5e2x"), -150);
  EXPECT_EQ(ReadNumber("1.2.3"), 1.2);
}

TEST(ReadNumber, TextWithoutANumberReadsZero) {
  EXPECT_EQ(ReadNumber("abc"), 0);
  EXPECT_EQ(ReadNumber("+.e5"), 0);
  EXPECT_EQ(ReadNumber("inf"), 0);
}

TEST(ReadNumber, SkipsLeadingBlanksAndTabsOnly) {
  EXPECT_EQ(ReadNumber(" \t 8"), 8);
  EXPECT_EQ(ReadNumber("\n8"), 0);
  EXPECT_EQ(ReadNumber("- 8"), 0);
}

TEST(ReadNumber, AcceptsSignsAndBareDecimalPoints) {
  EXPECT_EQ(ReadNumber("-.25"), -0.25);
  EXPECT_EQ(ReadNumber("+3."), 3);
}

TEST(ReadNumber, ExponentIsEOrDWithOptionalSignAndAtLeastOneDigit) {
  EXPECT_EQ(ReadNumber("1E+07"), 1e7);
  EXPECT_EQ(ReadNumber("2.5d-3"), 0.0025);
  EXPECT_EQ(ReadNumber("3D2"), 300);
  EXPECT_EQ(ReadNumber("1e"), 1);
  EXPECT_EQ(ReadNumber("1e+"), 1);
}

TEST(ReadNumber, AmpersandHIntroducesHexadecimal) {
  EXPECT_EQ(ReadNumber("&h300"), 768);
  EXPECT_EQ(ReadNumber("  &HfF zz"), 255);
}

TEST(ReadNumber, ResultIsCorrectlyRounded) {
  EXPECT_EQ(ReadNumber("2.2250738585072014e-308"), 2.2250738585072014e-308);
}

TEST(ReadNumber, NumbersBeyondADoubleBecomeInfinityOrZeroNeverNaN) {
  EXPECT_EQ(ReadNumber("-1e999"), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(ReadNumber("0.000001e-999"), 0);
  EXPECT_EQ(ReadNumber("1e-99999999999999999999"), 0);
  EXPECT_EQ(ReadNumber(std::string(400, '9')), std::numeric_limits<double>::infinity());
  EXPECT_EQ(ReadNumber("&h" + std::string(400, 'F')), std::numeric_limits<double>::infinity());
}

TEST(ReadNumber, ManyDigitsReadFast) {
  std::string longNumber = "0." + std::string(size_t{5} * 1000 * 1000, '3');
  EXPECT_NEAR(ReadNumber(longNumber), 1.0 / 3, 1e-15);
}

// --- Writing ---------------------------------------------------------------

TEST(ShortestText, ReadsBackToTheSameBits) {
  const float values[] = {0.04f,         0.1f + 1e-8f, 1e-30f,
                          3.4028235e38f, -0.0f,        std::numeric_limits<float>::denorm_min()};
  for (float value : values) {
    std::string text = ShortestText(value);
    float back = static_cast<float>(ReadNumber(text));
    EXPECT_EQ(std::bit_cast<uint32_t>(back), std::bit_cast<uint32_t>(value)) << text;
  }
}

TEST(ShortestText, UsualValuesArePlain) { EXPECT_EQ(ShortestText(0.04f), "0.04"); }

TEST(SevenDigitText, DropsTrailingZerosAndPoint) {
  EXPECT_EQ(SevenDigitText(30.0f), "30");
  EXPECT_EQ(SevenDigitText(30.6f), "30.6");
  EXPECT_EQ(SevenDigitText(-0.25f), "-0.25");
}

TEST(SevenDigitText, RoundsToSevenSignificantDigits) {
  EXPECT_EQ(SevenDigitText(1234.5678f), "1234.568");
  EXPECT_EQ(SevenDigitText(2.0f / 3), "0.6666667");
  EXPECT_EQ(SevenDigitText(9999999.0f), "9999999");
}

TEST(SevenDigitText, UsesUppercaseExponentOutsideSevenDigits) {
  EXPECT_EQ(SevenDigitText(1e7f), "1E+07");
  EXPECT_EQ(SevenDigitText(12345678.0f), "1.234568E+07");
  EXPECT_EQ(SevenDigitText(0.0001f), "0.0001");
  EXPECT_EQ(SevenDigitText(-1.5e-5f), "-1.5E-05");
}

TEST(SevenDigitText, RoundingThatCarriesIntoTheNextPowerOfTenDecidesTheForm) {
  // 9.999999747E-05 rounds to 1.000000E-04, which is written in fixed form.
  EXPECT_EQ(SevenDigitText(9.9999999e-5f), "0.0001");
}

// -0 would read back as a negative number.
TEST(SevenDigitText, NegativeZeroIsPlainZero) { EXPECT_EQ(SevenDigitText(-0.0f), "0"); }

TEST(SevenDigitText, NonFiniteValuesReadBackFinite) {
  EXPECT_EQ(SevenDigitText(std::numeric_limits<float>::quiet_NaN()), "0");
  EXPECT_EQ(SevenDigitText(-std::numeric_limits<float>::infinity()), "-3.402823E+38");
}

}  // namespace
}  // namespace kelvora
