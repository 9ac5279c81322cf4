// Durations as clock texts, hh:mm:ss (a blank and "0:" below one hour), as
// the run state's duration text, the logs and the step rows show them.
#ifndef KELVORA_MONITOR_CORE_DURATION_TEXT_H_
#define KELVORA_MONITOR_CORE_DURATION_TEXT_H_

#include <cstdint>
#include <string>

namespace kelvora {

// 3725 -> "01:02:05", 65 -> " 0:01:05", 0 -> " 0:00:00". Hours above 99 show
// their last two digits; a negative count is shown as 0.
std::string FormatDuration(int32_t seconds);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_CORE_DURATION_TEXT_H_
