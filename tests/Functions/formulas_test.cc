#include "Functions/formulas.h"

#include <bit>
#include <cstdint>
#include <limits>
#include <string>

#include "gtest/gtest.h"

namespace kelvora {
namespace {

uint32_t Bits(float value) { return std::bit_cast<uint32_t>(value); }

TEST(Rnd, RoundsHalvesUpJudgingTheStoredSingle) {
  struct Row {
    float value;
    int places;
    float rounded;
  };
  // 1.005f is stored just below 1.005; negative places round to whole
  // numbers; a 32-bit scale would overflow at 127 places.
  const Row rows[] = {{2.5f, 0, 3.0f},   {-2.5f, 0, -2.0f},    {-1.25f, 1, -1.2f},
                      {1.005f, 2, 1.0f}, {123.6f, -3, 124.0f}, {3.0e38f, 127, 3.0e38f}};
  for (const Row& row : rows)
    EXPECT_EQ(Rnd(row.value, row.places), row.rounded) << row.value << " " << row.places;
}

// --- Clock and date texts ----------------------------------------------------

TEST(ClockAndDateTexts, CountSecondsAndDaysWithUnreadablePartsAsZero) {
  for (const auto& [clock, seconds] :
       {std::pair{"06:14:03", 22443.0f}, {"06:14", 22440.0f}, {"xx:01:02", 62.0f}})
    EXPECT_EQ(TimeSec(clock), seconds) << clock;
  struct Row {
    const char* date;
    int numDate;   // years and months as fractional days, halves to the even neighbour
    int julian07;  // day of the season from 1 July, the year ignored
  };
  // Halves go to the even neighbour: 7549.5 and 7550.5 for 20/08/01 and
  // 02, 244.5 and 245.5 for 20/03/01 and 02. "ab" counts as year 0 (91.3125
  // + 1); a sign is not a digit, so "-3" is month 0.
  const Row rows[] = {{"19/03/01", 7032, 244}, {"99/12/31", 36556, 183}, {"19/07/01", 7154, 1},
                      {"05/12/31", 2222, 183}, {"97/12/31", 35826, 183}, {"20/01/01", 7336, 184},
                      {"20/06/30", 7518, 365}, {"20/08/01", 7550, 31},   {"20/08/02", 7550, 32},
                      {"20/03/01", 7397, 244}, {"20/03/02", 7398, 246},  {"ab/03/01", 92, 244},
                      {"19/-3/01", 6941, 153}};
  for (const Row& row : rows) {
    EXPECT_EQ(NumDate(row.date), row.numDate) << row.date;
    EXPECT_EQ(Julian07(row.date), row.julian07) << row.date;
  }
}

TEST(F8Date, TurnsSystemDateIntoShortDate) { EXPECT_EQ(F8Date("12-31-2099"), "99/12/31"); }

// Equal flags return the input bit for bit; the offset -160/9 is a single, so
// 32 °F lands just below zero.
TEST(UnitConversions, ConvertBothWays) {
  const struct {
    float (*convert)(float, uint8_t, uint8_t);
    float value;
    uint8_t from, to;
    float converted;
  } rows[] = {{C2fF2c, 100, kCelsius, kFahrenheit, 212.0f},
              {C2fF2c, 212, kFahrenheit, kCelsius, 100.0f},
              {C2fF2c, -40, kCelsius, kFahrenheit, -40.0f},
              {C2fF2c, 32, kFahrenheit, kCelsius, -8.4771051e-07f},
              {C2fF2c, -0.0f, kFahrenheit, kFahrenheit, -0.0f},
              {K2mM2k, 100, kKmPerHour, kMilesPerHour, 62.1371f},
              {K2mM2k, 100, kMilesPerHour, kKmPerHour, 160.93445f},
              {K2mM2k, 33.3f, kMilesPerHour, kMilesPerHour, 33.3f}};
  for (const auto& row : rows)
    EXPECT_EQ(Bits(row.convert(row.value, row.from, row.to)), Bits(row.converted))
        << row.value << " " << row.from;
}

// --- Weather and heating formulas ---------------------------------------------

TEST(Windchill, AppliesTheIndexFromExactlyFiveKmPerHour) {
  EXPECT_NEAR(Windchill(-10, 20), -17.86f, 0.005f);
  EXPECT_NEAR(Windchill(0, 5.0f), -1.59f, 0.005f);
  EXPECT_EQ(Windchill(0, 4.99f), 0.0f);
  EXPECT_EQ(Windchill(-10, 4.9f), -10.0f);
}

TEST(PcvAndKt, UseTheSingleBaseNotESoKtInvertsPcvOnlyApproximately) {
  EXPECT_EQ(Pcv(0), 0.0f);
  EXPECT_EQ(Pcv(1), 0.6321203f);                             // with e itself it would be 0.6321206
  EXPECT_NEAR(Kt(Pcv(1)), 0.9999993f, 1e-7f);                // with e it would be 1
  EXPECT_EQ(Kt(1), std::numeric_limits<float>::infinity());  // the full approach takes forever
}

// The fraction is rounded to single first (kept in extended precision it
// would give 15.0022087), the curve value only at the end (rounded before
// scaling it would give 10.6442375).
TEST(HeatingProject, ExponentialModelRoundsTheFractionToSingleAndTheResultOnce) {
  EXPECT_EQ(HeatingProject(3, 0.5f, 1.5f, 37), 15.0022097f);
  EXPECT_EQ(HeatingProject(3, 0.5f, 2, 37), 10.6442366f);
}

}  // namespace
}  // namespace kelvora
