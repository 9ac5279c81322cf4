#include "Monitor/core/clock_text.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "Monitor/core/saturate.h"
#include "Monitor/core/text_number.h"

namespace kelvora {

namespace {

// The number at the start of a two-character part, rounded down; two
// characters hold at most 99 and at least -9, so it always fits.
int32_t WholeNumber(std::string_view part) { return Saturate<int32_t>(std::floor(ReadNumber(part))); }

std::string_view Part(std::string_view text, size_t from) {
  return from < text.size() ? text.substr(from, 2) : std::string_view();
}

}  // namespace

ClockTime ParseClockTime(std::string& text) {
  std::string padded = "00" + text;
  padded.erase(0, padded.size() > 5 ? padded.size() - 5 : 0);
  padded += "00";
  padded.resize(std::min<size_t>(padded.size(), 5));
  text = padded;
  ClockTime time;
  time.hours = WholeNumber(Part(text, 0));
  time.minutes = WholeNumber(Part(text, 3));
  time.seconds = time.hours * 3600 + time.minutes * 60;
  return time;
}

int32_t ClockSecond(Clock& clock) {
  // The clock text has whole seconds, so rounding it changes nothing: the
  // second changes on the boundary, where the tick loop is aligned.
  return SecondsOfDay(clock.Now());
}

int32_t TickSeconds(Clock& clock, int32_t& stamp, int32_t& previous) {
  previous = stamp;
  stamp = ClockSecond(clock);
  return stamp - previous;
}

}  // namespace kelvora
