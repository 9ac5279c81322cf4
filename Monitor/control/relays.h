// Which relays the settings allow and the rules that switch the fan and the
// heat pump: the configuration at each settings load and the heat-pump
// decision of every pass while the burner is off.
#ifndef KELVORA_MONITOR_CONTROL_RELAYS_H_
#define KELVORA_MONITOR_CONTROL_RELAYS_H_

#include <cstdint>

#include "Monitor/card/card_state.h"
#include "Monitor/control/control_state.h"
#include "Monitor/core/settings.h"
#include "Monitor/schedule/schedule_state.h"

namespace kelvora {

inline void SwitchOn(CardState& card, uint8_t bits) {
  card.outputByte = static_cast<uint8_t>(card.outputByte | bits);
}
inline void SwitchOff(CardState& card, uint8_t bits) {
  card.outputByte = static_cast<uint8_t>(card.outputByte & ~bits);
}
inline bool IsOn(const CardState& card, uint8_t mask) { return (card.outputByte & mask) != 0; }

// What the relay rules work on: the settings (a load corrects the heat-pump
// keys that cannot apply), the card's masks and byte, and the control's fan
// bits, hold and mode.
struct RelayParts {
  Settings& settings;
  CardState& card;
  ControlState& control;
};

// The configuration steps at a settings load: the active masks, autoFanBits,
// contFanBits, the heat-pump rating and hold, and the first outputByte.
void ConfigureRelays(const RelayParts& relays);

// The heat-pump rules while the burner is off ("HP" = 1 only), then the off
// row's state code: heat pump running or all off. A pre-heat due within
// five minutes, by the estimated arrival of the pre-heat of the schedule's
// next slot, starts the heat pump ahead of it.
void HeatPumpDecision(const RelayParts& relays, const ScheduleState& schedule, int32_t estimatedArrival);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_CONTROL_RELAYS_H_
