#include "Monitor/core/text_number.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <string>

namespace kelvora {
namespace {

// --- Reading ---------------------------------------------------------------

class ReadNumberTest : public ::testing::Test {};

TEST_F(ReadNumberTest, TakesTheLongestLeadingNumberAndIgnoresTheRest) {
  EXPECT_EQ(ReadNumber("50%"), 50);
  EXPECT_EQ(ReadNumber("  -1.5e2x"), -150);
  EXPECT_EQ(ReadNumber("1.2.3"), 1.2);
  EXPECT_EQ(ReadNumber("7,5"), 7);
  EXPECT_EQ(ReadNumber("12 34"), 12);
}

TEST_F(ReadNumberTest, TextWithoutANumberReadsZero) {
  EXPECT_EQ(ReadNumber("abc"), 0);
  EXPECT_EQ(ReadNumber(""), 0);
  EXPECT_EQ(ReadNumber("-"), 0);
  EXPECT_EQ(ReadNumber("."), 0);
  EXPECT_EQ(ReadNumber("+.e5"), 0);
  EXPECT_EQ(ReadNumber("nan"), 0);
  EXPECT_EQ(ReadNumber("inf"), 0);
}

TEST_F(ReadNumberTest, SkipsLeadingBlanksAndTabsOnly) {
  EXPECT_EQ(ReadNumber(" \t 8"), 8);
  EXPECT_EQ(ReadNumber("\n8"), 0);
  EXPECT_EQ(ReadNumber("- 8"), 0);
}

TEST_F(ReadNumberTest, AcceptsSignsAndBareDecimalPoints) {
  EXPECT_EQ(ReadNumber(".5"), 0.5);
  EXPECT_EQ(ReadNumber("-.25"), -0.25);
  EXPECT_EQ(ReadNumber("+3."), 3);
  EXPECT_TRUE(std::signbit(ReadNumber("-0")));
}

TEST_F(ReadNumberTest, ExponentTakesEOrDWithOptionalSign) {
  EXPECT_EQ(ReadNumber("1E+07"), 1e7);
  EXPECT_EQ(ReadNumber("2.5d-3"), 0.0025);
  EXPECT_EQ(ReadNumber("3D2"), 300);
  EXPECT_EQ(ReadNumber(".5e1"), 5);
}

TEST_F(ReadNumberTest, ExponentLetterWithoutDigitsIsNotPartOfTheNumber) {
  EXPECT_EQ(ReadNumber("1e"), 1);
  EXPECT_EQ(ReadNumber("1e+"), 1);
  EXPECT_EQ(ReadNumber("2E-x"), 2);
}

TEST_F(ReadNumberTest, AmpersandHIntroducesHexadecimal) {
  EXPECT_EQ(ReadNumber("&h300"), 768);
  EXPECT_EQ(ReadNumber("  &HfF zz"), 255);
  EXPECT_EQ(ReadNumber("&h"), 0);
  EXPECT_EQ(ReadNumber("&hG"), 0);
  EXPECT_EQ(ReadNumber("&"), 0);
}

TEST_F(ReadNumberTest, ResultIsCorrectlyRounded) {
  EXPECT_EQ(ReadNumber("0.1"), 0.1);
  EXPECT_EQ(ReadNumber("2.2250738585072014e-308"), 2.2250738585072014e-308);
}

TEST_F(ReadNumberTest, NumbersBeyondADoubleBecomeInfinityOrZeroNeverNaN) {
  EXPECT_EQ(ReadNumber("1e999"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(ReadNumber("-1e999"), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(ReadNumber("0.000001e-999"), 0);
  EXPECT_EQ(ReadNumber("1e-99999999999999999999"), 0);
  EXPECT_EQ(ReadNumber(std::string(400, '9')), std::numeric_limits<double>::infinity());
  EXPECT_EQ(ReadNumber("&h" + std::string(400, 'F')), std::numeric_limits<double>::infinity());
  EXPECT_EQ(ReadNumber("1e99999999999999999999"), std::numeric_limits<double>::infinity());
}

TEST_F(ReadNumberTest, ManyDigitsReadFast) {
  std::string longNumber = "0." + std::string(size_t{5} * 1000 * 1000, '3');
  EXPECT_NEAR(ReadNumber(longNumber), 1.0 / 3, 1e-15);
}

// --- Writing ---------------------------------------------------------------

class NumberTextTest : public ::testing::Test {};

TEST_F(NumberTextTest, ShortestTextReadsBackToTheSameBits) {
  const float values[] = {0.04f,  0.15f,         -20.0f, 19.5f, 0.1f + 1e-8f,
                          1e-30f, 3.4028235e38f, -0.0f,  1e10f, std::numeric_limits<float>::denorm_min()};
  for (float value : values) {
    std::string text = ShortestText(value);
    float back = static_cast<float>(ReadNumber(text));
    EXPECT_EQ(std::bit_cast<uint32_t>(back), std::bit_cast<uint32_t>(value)) << text;
  }
}

TEST_F(NumberTextTest, ShortestTextOfUsualValuesIsPlain) {
  EXPECT_EQ(ShortestText(0.04f), "0.04");
  EXPECT_EQ(ShortestText(-20.0f), "-20");
  EXPECT_EQ(ShortestText(50.0f), "50");
}

TEST_F(NumberTextTest, SevenDigitTextDropsTrailingZerosAndPoint) {
  EXPECT_EQ(SevenDigitText(30.0f), "30");
  EXPECT_EQ(SevenDigitText(30.6f), "30.6");
  EXPECT_EQ(SevenDigitText(-12.25f), "-12.25");
  EXPECT_EQ(SevenDigitText(0.5f), "0.5");
  EXPECT_EQ(SevenDigitText(-0.25f), "-0.25");
}

TEST_F(NumberTextTest, SevenDigitTextRoundsToSevenSignificantDigits) {
  EXPECT_EQ(SevenDigitText(0.1f), "0.1");
  EXPECT_EQ(SevenDigitText(1234.5678f), "1234.568");
  EXPECT_EQ(SevenDigitText(86399.0f), "86399");
  EXPECT_EQ(SevenDigitText(2.0f / 3), "0.6666667");
  EXPECT_EQ(SevenDigitText(9999999.0f), "9999999");
}

TEST_F(NumberTextTest, SevenDigitTextUsesUppercaseExponentOutsideSevenDigits) {
  EXPECT_EQ(SevenDigitText(1e7f), "1E+07");
  EXPECT_EQ(SevenDigitText(12345678.0f), "1.234568E+07");
  EXPECT_EQ(SevenDigitText(0.0001f), "0.0001");
  EXPECT_EQ(SevenDigitText(0.00001f), "1E-05");
  EXPECT_EQ(SevenDigitText(-1.5e-5f), "-1.5E-05");
  EXPECT_EQ(SevenDigitText(3e38f), "3E+38");
}

TEST_F(NumberTextTest, RoundingThatCarriesIntoTheNextPowerOfTenDecidesTheForm) {
  // 9.999999747E-05 rounds to 1.000000E-04, which is written in fixed form.
  EXPECT_EQ(SevenDigitText(9.9999999e-5f), "0.0001");
  EXPECT_EQ(SevenDigitText(-9.9999999e-5f), "-0.0001");
}

TEST_F(NumberTextTest, SevenDigitTextOfZeroIsPlainZero) {
  EXPECT_EQ(SevenDigitText(0.0f), "0");
  EXPECT_EQ(SevenDigitText(-0.0f), "0");
}

TEST_F(NumberTextTest, SevenDigitTextOfNonFiniteValuesReadsBackFinite) {
  EXPECT_EQ(SevenDigitText(std::numeric_limits<float>::quiet_NaN()), "0");
  EXPECT_EQ(SevenDigitText(std::numeric_limits<float>::infinity()), "3.402823E+38");
  EXPECT_EQ(SevenDigitText(-std::numeric_limits<float>::infinity()), "-3.402823E+38");
}

TEST_F(NumberTextTest, SevenDigitTextReadsBackWithinItsPrecision) {
  for (float value = -1000.123f; value < 1000; value += 13.37f) {
    double back = ReadNumber(SevenDigitText(value));
    EXPECT_NEAR(back, value, std::fabs(value) * 5e-7) << SevenDigitText(value);
  }
}

}  // namespace
}  // namespace kelvora
