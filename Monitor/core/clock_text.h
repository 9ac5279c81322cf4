// Clock texts of the day: times of day "hh:mm" read into seconds, and the
// clock second that every pass and log stamps use. Durations as texts
// (FormatDuration) come with it.
#ifndef KELVORA_MONITOR_CORE_CLOCK_TEXT_H_
#define KELVORA_MONITOR_CORE_CLOCK_TEXT_H_

#include <cstdint>
#include <string>

#include "Monitor/core/duration_text.h"
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

// The clock's time of day in whole seconds (hh * 3600 + mm * 60 + ss).
int32_t ClockSecond(Clock& clock);

// previous = stamp; stamp = the clock second; returns stamp - previous
// (negative across midnight: the caller handles the day change).
int32_t TickSeconds(Clock& clock, int32_t& stamp, int32_t& previous);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_CORE_CLOCK_TEXT_H_
