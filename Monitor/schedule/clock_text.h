// Clock texts of the day: durations as hh:mm:ss (a blank and "0:" below one
// hour), times of day "hh:mm" read into seconds, and the clock second that
// every pass and log stamps use.
#ifndef KELVORA_MONITOR_SCHEDULE_CLOCK_TEXT_H_
#define KELVORA_MONITOR_SCHEDULE_CLOCK_TEXT_H_

#include <cstdint>
#include <string>

#include "platform/clock.h"

namespace kelvora {

// A time of day read from its "hh:mm" text.
struct ClockTime {
  int32_t hours = 0;
  int32_t minutes = 0;
  int32_t seconds = 0;  // hours * 3600 + minutes * 60
};

// Brings `text` to (at most) five characters in place: the last five of "00" + text,
// then the first five of that + "00" ("7:30" -> "07:30", "7" -> "00700").
// Hours are the number in its characters 1-2, minutes in 4-5, each read as
// ReadNumber reads and rounded down; a text that is no time reads as 0.
ClockTime ParseClockTime(std::string& text);

// 3725 -> "01:02:05", 65 -> " 0:01:05", 0 -> " 0:00:00". Hours above 99 show
// their last two digits; a negative count is shown as 0.
std::string FormatDuration(int32_t seconds);

// The clock's time of day in whole seconds (hh * 3600 + mm * 60 + ss).
int32_t ClockSecond(Clock& clock);

// previous = stamp; stamp = the clock second; returns stamp - previous
// (negative across midnight: the caller handles the day change).
int32_t TickSeconds(Clock& clock, int32_t& stamp, int32_t& previous);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_SCHEDULE_CLOCK_TEXT_H_
