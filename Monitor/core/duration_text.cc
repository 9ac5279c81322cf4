#include "Monitor/core/duration_text.h"

namespace kelvora {
namespace {

std::string TwoDigits(int32_t value) {
  int32_t last = (value % 100 + 100) % 100;
  return std::string{static_cast<char>('0' + last / 10), static_cast<char>('0' + last % 10)};
}

}  // namespace

std::string FormatDuration(int32_t seconds) {
  // A negative duration has no clock form; it can only come from a clock set
  // back, and showing it as zero beats showing digits that mean nothing.
  if (seconds < 0) seconds = 0;
  int32_t hours = seconds / 3600;
  int32_t minutes = (seconds - 3600 * hours) / 60;
  int32_t rest = seconds - 3600 * hours - 60 * minutes;
  std::string text = " 0:" + TwoDigits(minutes) + ":" + TwoDigits(rest);
  if (hours > 0) text.replace(0, 3, TwoDigits(hours) + ":");
  return text;
}

}  // namespace kelvora
