#include "Functions/formulas.h"

#include <bit>
#include <cstdint>
#include <limits>

#include "gtest/gtest.h"

namespace kelvora {
namespace {

uint32_t Bits(float value) { return std::bit_cast<uint32_t>(value); }

// --- Rnd --------------------------------------------------------------------

TEST(Rnd, HalvesGoTowardsPlusInfinity) {
  EXPECT_EQ(Rnd(2.5f, 0), 3.0f);
  EXPECT_EQ(Rnd(-2.5f, 0), -2.0f);
  EXPECT_EQ(Rnd(-1.25f, 1), -1.2f);
}

// 1.005f is stored just below 1.005.
TEST(Rnd, JudgesTheStoredSingleNotTheDecimalWritten) { EXPECT_EQ(Rnd(1.005f, 2), 1.0f); }

TEST(Rnd, NegativePlacesRoundToWholeNumbers) { EXPECT_EQ(Rnd(123.6f, -3), 124.0f); }

// A 32-bit scale would overflow here; the value must come back intact.
TEST(Rnd, PlacesBeyondNineKeepTheValue) { EXPECT_EQ(Rnd(3.0e38f, 127), 3.0e38f); }

// --- Clock and date texts ----------------------------------------------------

TEST(TimeSec, ReadsAClockText) { EXPECT_EQ(TimeSec("06:14:03"), 22443.0f); }

TEST(F8Date, TurnsSystemDateIntoShortDate) {
  EXPECT_EQ(F8Date("06-15-2019"), "19/06/15");
  EXPECT_EQ(F8Date("12-31-2099"), "99/12/31");
}

TEST(F8Date, ShortTextGivesOnlyThePartsThatExist) { EXPECT_EQ(F8Date("06-1"), "-1/06/1"); }

TEST(NumDate, CountsYearsAndMonthsAsFractionalDays) {
  EXPECT_EQ(NumDate("19/03/01"), 7032);
  EXPECT_EQ(NumDate("99/12/31"), 36556);
}

TEST(Julian07, CountsDaysFromTheFirstOfJuly) {
  EXPECT_EQ(Julian07("19/07/01"), 1);
  EXPECT_EQ(Julian07("19/12/31"), 183);
  EXPECT_EQ(Julian07("20/01/01"), 184);  // 183.625
  EXPECT_EQ(Julian07("20/06/30"), 365);  // 364.8125
}

TEST(Julian07, IgnoresTheYear) { EXPECT_EQ(Julian07("05/12/31"), Julian07("97/12/31")); }

TEST(DayNumbers, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(NumDate("20/08/01"), 7550);  // 7549.5
  EXPECT_EQ(NumDate("20/08/02"), 7550);  // 7550.5
  EXPECT_EQ(Julian07("20/03/01"), 244);  // 244.5
  EXPECT_EQ(Julian07("20/03/02"), 246);  // 245.5
}

TEST(ClockAndDateTexts, UnreadableOrMissingPartsCountZero) {
  EXPECT_EQ(TimeSec("06:14"), 22440.0f);
  EXPECT_EQ(TimeSec("xx:01:02"), 62.0f);
  EXPECT_EQ(NumDate("ab/03/01"), 92);    // 91.3125 + 1
  EXPECT_EQ(NumDate("19/-3/01"), 6941);  // a sign is not a digit: month 0
}

// --- Unit conversions -------------------------------------------------------

TEST(UnitConversions, ConvertBothWays) {
  EXPECT_EQ(C2fF2c(100, kCelsius, kFahrenheit), 212.0f);
  EXPECT_EQ(C2fF2c(212, kFahrenheit, kCelsius), 100.0f);
  EXPECT_EQ(C2fF2c(-40, kCelsius, kFahrenheit), -40.0f);
  EXPECT_EQ(K2mM2k(100, kKmPerHour, kMilesPerHour), 62.1371f);
  EXPECT_EQ(K2mM2k(100, kMilesPerHour, kKmPerHour), 160.93445f);
}

TEST(UnitConversions, EqualFlagsReturnTheInputBitForBit) {
  EXPECT_EQ(Bits(C2fF2c(-0.0f, kFahrenheit, kFahrenheit)), Bits(-0.0f));
  EXPECT_EQ(Bits(K2mM2k(33.3f, kMilesPerHour, kMilesPerHour)), Bits(33.3f));
}

TEST(UnitConversions, FreezingPointKeepsTheResidueOfTheSingleOffset) {
  // The offset -160/9 is a single; 32 °F therefore lands just below zero.
  EXPECT_EQ(C2fF2c(32, kFahrenheit, kCelsius), -8.4771051e-07f);
}

// --- Weather and heating formulas ---------------------------------------------

TEST(Windchill, AppliesTheIndex) { EXPECT_NEAR(Windchill(-10, 20), -17.86f, 0.005f); }

TEST(Windchill, StartsAtExactlyFiveKmPerHour) {
  EXPECT_NEAR(Windchill(0, 5.0f), -1.59f, 0.005f);
  EXPECT_EQ(Windchill(0, 4.99f), 0.0f);
  EXPECT_EQ(Windchill(-10, 4.9f), -10.0f);
}

TEST(Pcv, UsesTheSingleBaseNotE) {
  EXPECT_EQ(Pcv(0), 0.0f);
  EXPECT_EQ(Pcv(1), 0.6321203f);  // with e itself it would be 0.6321206
}

// With e as the base of Pcv this would be 1.
TEST(Kt, InvertsPcvOnlyApproximately) { EXPECT_NEAR(Kt(Pcv(1)), 0.9999993f, 1e-7f); }

TEST(Kt, FullApproachTakesForever) { EXPECT_EQ(Kt(1), std::numeric_limits<float>::infinity()); }

TEST(HeatingProject, EvaluatesTheAlgebraicModels) {
  EXPECT_EQ(HeatingProject(0, 2, 3, 4), 36.0f);  // 2 * 3 * (2 + 4)
  EXPECT_EQ(HeatingProject(1, 2, 3, 4), 20.0f);  // 3 * 4 + 4 * 2
  EXPECT_EQ(HeatingProject(2, 2, 3, 4), 3.0f);   // 2 * 3 / (4 - 2)
}

TEST(HeatingProject, UnknownModelGivesZero) {
  EXPECT_EQ(HeatingProject(4, 2, 3, 4), 0.0f);
  EXPECT_EQ(HeatingProject(-1, 2, 3, 4), 0.0f);
}

TEST(HeatingProject, ExponentialModelRoundsTheFractionToSingleFirst) {
  // -ln(1 - 1/3) * 37; with the fraction kept in extended precision this would be 15.0022087.
  EXPECT_EQ(HeatingProject(3, 0.5f, 1.5f, 37), 15.0022097f);
}

TEST(HeatingProject, ExponentialModelRoundsOnlyOnceAtTheEnd) {
  // Rounding the curve value to single before scaling would give 10.6442375.
  EXPECT_EQ(HeatingProject(3, 0.5f, 2, 37), 10.6442366f);
}

}  // namespace
}  // namespace kelvora
