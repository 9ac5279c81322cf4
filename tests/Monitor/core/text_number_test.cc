#include "Monitor/core/text_number.h"

#include <gtest/gtest.h>

#include <bit>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace kelvora {
namespace {

// The longest leading number, the rest ignored; only blanks and tabs lead;
// a bare point, an exponent of E or D with at least one digit, &H for
// hexadecimal; correctly rounded, and beyond a double infinity or zero,
// never NaN.
TEST(ReadNumber, ReadsTheLongestLeadingNumberOrZero) {
  constexpr double kInfinity = std::numeric_limits<double>::infinity();
  const std::vector<std::pair<std::string, double>> cases = {
      {"50%", 50},
      {"  -1.5e2x", -150},
      {"1.2.3", 1.2},
      {"abc", 0},
      {"+.e5", 0},
      {"inf", 0},
      {" \t 8", 8},
      {"\n8", 0},
      {"- 8", 0},
      {"-.25", -0.25},
      {"+3.", 3},
      {"1E+07", 1e7},
      {"2.5d-3", 0.0025},
      {"3D2", 300},
      {"1e", 1},
      {"1e+", 1},
      {"&h300", 768},
      {"  &HfF zz", 255},
      {"2.2250738585072014e-308", 2.2250738585072014e-308},
      {"-1e999", -kInfinity},
      {"0.000001e-999", 0},
      {"1e-99999999999999999999", 0},
      {std::string(400, '9'), kInfinity},
      {"&h" + std::string(400, 'F'), kInfinity}};
  for (const auto& [text, expected] : cases) EXPECT_EQ(ReadNumber(text), expected) << text;
}

TEST(ReadNumber, ManyDigitsReadFast) {
  std::string longNumber = "0." + std::string(size_t{5} * 1000 * 1000, '3');
  EXPECT_NEAR(ReadNumber(longNumber), 1.0 / 3, 1e-15);
}

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

// Trailing zeros and point dropped, an uppercase exponent outside seven
// digits; 9.999999747E-05 rounds to 1.000000E-04, written in fixed form; -0
// would read back negative, and a non-finite value must read back finite.
TEST(SevenDigitText, WritesSevenSignificantDigitsInTheShortestForm) {
  const std::vector<std::pair<float, std::string>> cases = {
      {30.0f, "30"},
      {30.6f, "30.6"},
      {-0.25f, "-0.25"},
      {1234.5678f, "1234.568"},
      {2.0f / 3, "0.6666667"},
      {9999999.0f, "9999999"},
      {1e7f, "1E+07"},
      {12345678.0f, "1.234568E+07"},
      {0.0001f, "0.0001"},
      {-1.5e-5f, "-1.5E-05"},
      {9.9999999e-5f, "0.0001"},
      {-0.0f, "0"},
      {std::numeric_limits<float>::quiet_NaN(), "0"},
      {-std::numeric_limits<float>::infinity(), "-3.402823E+38"}};
  for (const auto& [value, text] : cases) EXPECT_EQ(SevenDigitText(value), text) << value;
}

}  // namespace
}  // namespace kelvora
