// Floating-point values into integers without undefined behaviour: a value
// beyond the type becomes its nearest end and NaN becomes 0. Every float
// that reaches an integer field goes through here, so a nonsense label or
// setting gives a wrong number at worst, never a wrapped or undefined one.
#ifndef KELVORA_MONITOR_CORE_SATURATE_H_
#define KELVORA_MONITOR_CORE_SATURATE_H_

#include <limits>

namespace kelvora {

template <typename Int>
constexpr Int Saturate(double value) {
  if (value != value) return 0;
  if (value <= static_cast<double>(std::numeric_limits<Int>::min())) return std::numeric_limits<Int>::min();
  if (value >= static_cast<double>(std::numeric_limits<Int>::max())) return std::numeric_limits<Int>::max();
  return static_cast<Int>(value);
}

}  // namespace kelvora

#endif  // KELVORA_MONITOR_CORE_SATURATE_H_
