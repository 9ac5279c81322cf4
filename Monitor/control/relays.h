// Which relays the settings allow and the rules that switch the fan and the
// heat pump: the configuration at each settings load and the heat-pump
// decision of every pass while the burner is off.
#ifndef KELVORA_MONITOR_CONTROL_RELAYS_H_
#define KELVORA_MONITOR_CONTROL_RELAYS_H_

#include <cstdint>

#include "Monitor/core/run_state.h"

namespace kelvora {

inline void SwitchOn(CardState& card, uint8_t bits) {
  card.outputByte = static_cast<uint8_t>(card.outputByte | bits);
}
inline void SwitchOff(CardState& card, uint8_t bits) {
  card.outputByte = static_cast<uint8_t>(card.outputByte & ~bits);
}
inline bool IsOn(const CardState& card, uint8_t mask) { return (card.outputByte & mask) != 0; }

// The configuration steps at a settings load: the active masks, autoFanBits,
// contFanBits, the heat-pump rating and hold, and the first outputByte.
void ConfigureRelays(RunState& state);

// The heat-pump rules while the burner is off ("HP" = 1 only), then the off
// row's state code: 2 with the heat pump on, 0 without.
void HeatPumpDecision(RunState& state);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_CONTROL_RELAYS_H_
