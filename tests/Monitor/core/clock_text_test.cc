#include "Monitor/core/clock_text.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace kelvora {
namespace {

// Below an hour a blank and a zero, then two hour digits, the last two
// above 99; a negative count shows zero.
TEST(FormatDuration, ShowsHoursMinutesAndSecondsInEightCharacters) {
  const std::vector<std::pair<int32_t, std::string>> cases = {{0, " 0:00:00"},
                                                              {65, " 0:01:05"},
                                                              {3599, " 0:59:59"},
                                                              {3600, "01:00:00"},
                                                              {3725, "01:02:05"},
                                                              {86399, "23:59:59"},
                                                              {100 * 3600 + 61, "00:01:01"},
                                                              {-5, " 0:00:00"}};
  for (const auto& [seconds, text] : cases) EXPECT_EQ(FormatDuration(seconds), text) << seconds;
}

TEST(ParseClockTime, NormalisesTheTextAndCountsSeconds) {
  struct Case {
    std::string text, normalised;
    int32_t hours, minutes, seconds;
  };
  for (Case c :
       {Case{"7:30", "07:30", 7, 30, 27000}, Case{"23:59", "23:59", 23, 59, 86340},
        Case{"24:00", "24:00", 24, 0, 86400}, Case{"", "0000", 0, 0, 0}, Case{"x", "00x00", 0, 0, 0}}) {
    std::string text = c.text;
    ClockTime time = ParseClockTime(text);
    EXPECT_EQ(text, c.normalised) << c.text;
    EXPECT_EQ(std::tie(time.hours, time.minutes, time.seconds), std::tie(c.hours, c.minutes, c.seconds))
        << c.text;
  }
}

TEST(TickSeconds, KeepsThePreviousStampAndTheDifference) {
  LocalTime start;
  ASSERT_TRUE(ParseLocalTime("2019-06-15 23:59:58", &start));
  VirtualClock clock(start);
  int32_t stamp = 0, previous = -1;
  EXPECT_EQ(TickSeconds(clock, stamp, previous), 86398);
  clock.Advance(std::chrono::seconds(3));
  EXPECT_EQ(TickSeconds(clock, stamp, previous), 1 - 86398);  // across midnight
  EXPECT_EQ(previous, 86398);
  EXPECT_EQ(stamp, 1);
}

}  // namespace
}  // namespace kelvora
