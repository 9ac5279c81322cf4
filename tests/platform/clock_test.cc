#include "platform/clock.h"

#include <gtest/gtest.h>

namespace kelvora {
namespace {

LocalTime At(const std::string& text) {
  LocalTime time;
  EXPECT_TRUE(ParseLocalTime(text, &time)) << text;
  return time;
}

TEST(VirtualClock, SleepingAdvancesTime) {
  VirtualClock clock(At("2019-06-15 23:59:59"));
  clock.SleepFor(std::chrono::milliseconds(500));
  EXPECT_EQ(clock.Now().millisecond, 500);
  clock.SleepFor(std::chrono::milliseconds(500));
  LocalTime now = clock.Now();
  EXPECT_EQ(SystemDateText(now), "06-16-2019");
  EXPECT_EQ(ClockText(now), "00:00:00");
}

TEST(LocalTimes, GiveTheirWeekdayFromSundaySecondsOfDayAndTexts) {
  LocalTime time = At("2026-01-02 14:05:09");
  EXPECT_EQ(SecondsOfDay(time), 14 * 3600 + 5 * 60 + 9);
  EXPECT_EQ(SystemDateText(time) + " " + ClockText(time), "01-02-2026 14:05:09");
  EXPECT_EQ(SystemDateText(At("2024-02-29 00:00:00")), "02-29-2024");  // a leap day is a date
  EXPECT_EQ(At("2019-06-16 12:00:00").weekday, 1);                     // a Sunday
  EXPECT_EQ(At("2019-06-15 12:00:00").weekday, 7);                     // a Saturday
}

TEST(ParseLocalTime, RejectsWhatIsNotATime) {
  LocalTime time;
  EXPECT_FALSE(ParseLocalTime("2019-02-30 00:00:00", &time));
  EXPECT_FALSE(ParseLocalTime("2019-06-15 24:00:00", &time));
  EXPECT_FALSE(ParseLocalTime("2019-06-15", &time));
  EXPECT_FALSE(ParseLocalTime("2019-06-15 10:00:00x", &time));
}

TEST(SystemClock, ReadsAPlausibleLocalTime) {
  SystemClock clock;
  LocalTime now = clock.Now();
  EXPECT_GE(now.year, 2020);
  EXPECT_GE(now.weekday, 1);
  EXPECT_LE(now.weekday, 7);
  EXPECT_LT(SecondsOfDay(now), 86400);
}

}  // namespace
}  // namespace kelvora
