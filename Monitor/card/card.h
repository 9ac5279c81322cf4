// The I/O card: finding it at start-up (a PCI configuration scan, else an ISA
// card at the configured port) and its two operations, reading one input
// channel and writing the relay latch. Ports that were not found are never
// touched.
#ifndef KELVORA_MONITOR_CARD_CARD_H_
#define KELVORA_MONITOR_CARD_CARD_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "Monitor/card/card_state.h"
#include "platform/clock.h"
#include "platform/ports.h"
#include "platform/private_profile.h"

namespace kelvora {

// Our card on the PCI bus: device 0x0008 in the high half, vendor 0x1172 in
// the low half of the identifier register.
inline constexpr uint32_t kCardIdentifier = 0x00081172;
// The latch lies 16 ports above a PCI card's I/O base, one above an ISA base.
inline constexpr uint16_t kPciLatchOffset = 16;
inline constexpr uint16_t kIsaLatchOffset = 1;
// An ISA card's multiplexer needs this long after a channel is selected.
inline constexpr int kIsaSettleMilliseconds = 10;

// Scans every bus, device and function with configuration mechanism 1 and
// stops at the first function whose identifier is `wanted`. Each present
// function's base registers are read until one reads 0: a memory register is
// kept whole in `memoryBase`, an I/O register as its value - 1 (16 bits) in
// `ioBase`. Both are cleared at each present function, so on a match they
// belong to the matching function (0 when it has no such register).
// Returns the identifier of the last function examined.
uint32_t PciFindCard(PortAccess& ports, uint32_t wanted, uint32_t& memoryBase, uint16_t& ioBase);

// Sets cardKind, inputPort, outputPort and cardMemoryBase from the PCI scan,
// else from [Config] ISA_Port of the settings file at `settingsPath`. Leaves
// cardKind empty when there is no card. Returns a line for the console when
// something found had to be ignored, else an empty text.
std::string SelectCard(PortAccess& ports, const PrivateProfile& profile, std::string_view settingsPath,
                       CardState& card);

// Whether the card's ports may be driven: a card was found and the program
// does not simulate.
bool CardDrivable(const CardState& card);

// The relays on the card's output latch: each one's bit, enabled until the
// settings say otherwise, and the rated power (kW) behind it.
void SetNominalRelays(CardState& card);

// The byte on input `channel`; 0xFF, with no port touched, when the card
// cannot be driven. An ISA read selects the channel and waits for it to settle.
uint8_t ReadCardChannel(PortAccess& ports, Clock& clock, const CardState& card, int channel);

// Writes `byte` to the latch when the card can be driven.
void WriteCardOutputs(PortAccess& ports, const CardState& card, uint8_t byte);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_CARD_CARD_H_
