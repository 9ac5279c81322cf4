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

struct EdgeRow {
  const char* what;
  std::string mask;
  float value;
  std::string text;
};

const EdgeRow kEdgeTable[] = {
    {"a whole rounding sum stays whole", "###", 0.5f, "  1"},
    {"and grows past the field", "###", 99999.5f, "100000"},
    {"halves round up in magnitude", "#.##", 0.125f, "0.13"},
    {"halves round up in magnitude", "-#.##", -0.125f, "-0.13"},
    {"of the stored single, just below 2.675", "#.##", 2.675f, "2.67"},
    {"digits beyond the decimals are cut after the half unit", "-###.###", 0.995f, "   0.995"},
    {"digits beyond the decimals are cut after the half unit", "###.##", 0.995f, "  1.00"},
    {"the sign follows the value, not the rounded digits", "+##.##", -0.004f, " -0.00"},
    {"the sign follows the value, not the rounded digits", "+#.#", -0.0f, "+0.0"},
    {"no sign position shows the magnitude", "##.##\260C", -5.25f, " 5.25\260C"},
    {"a \"-\" before the \"+\" makes the sign \"-\"", "-+##", 5, "   5"},
    {"a \"+\" before the \"-\" stays literal text", "+-##", -5, "+ -5"},
    {"a trailing \"+\" is a sign position", "##.#+", 2.25f, " 2.3+"},
    {"a trailing \"-\" is a sign position", "##.#-", 2.25f, " 2.3 "},
    {"sign positions on both sides", "+##+", -7, " -7-"},
    {"no whole-number positions, no leading zero", ".##", 0.5f, ".50"},
    {"one point before the first digit joins the field", ".##", 1.5f, "1.50"},
    {"only one point joins the field", "..##", 0.5f, "..50"},
    {"the last point of the field is the decimal point", "###.", 3.14f, "  3."},
    {"the last point of the field is the decimal point", "#.#.##", 3.14159f, "  3.14"},
    {"tiny sums are written out in digits", "#.#####", 0, "0.00000"},
    {"huge sums are written out in digits", "###.##", 1.0e20f, "100000002004087700000.00"},
    {"huge sums are written out in digits", "###", 3.0e38f, "300000000549775600000000000000000000000"},
    {"infinity shows a word", "+###.#", -std::numeric_limits<float>::infinity(), "  -inf"},
    {"NaN shows a word", "###.#", std::numeric_limits<float>::quiet_NaN(), "  nan"},
    {"a mask without a digit position stays as it is", "n/a", 5, "n/a"},
    {"the mask is cut to 127 characters", std::string(126, 'x') + "#", 7, std::string(126, 'x') + "7"},
    {"the mask is cut to 127 characters", std::string(126, 'x') + "x#", 7, std::string(127, 'x')},
};

TEST(Using, EdgesOfRoundingSignsPointsAndWidthGiveTheirTexts) {
  for (const EdgeRow& row : kEdgeTable) EXPECT_EQ(Using(row.mask, row.value), row.text) << row.what;
}

}  // namespace
}  // namespace kelvora
