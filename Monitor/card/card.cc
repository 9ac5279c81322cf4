#include "Monitor/card/card.h"

#include <chrono>

#include "Monitor/core/settings.h"

namespace kelvora {

namespace {

constexpr uint16_t kConfigAddressPort = 0xCF8;
constexpr uint16_t kConfigDataPort = 0xCFC;
constexpr uint32_t kConfigEnable = 0x80000000u;
constexpr uint32_t kAbsentFunction = 0xFFFFFFFFu;
constexpr uint8_t kBaseRegisterOffsets[] = {0x10, 0x14, 0x18, 0x1C, 0x20, 0x24};

uint32_t ReadConfig(PortAccess& ports, uint32_t address) {
  ports.WritePortDword(kConfigAddressPort, address);
  return ports.ReadPortDword(kConfigDataPort);
}

void ReadBaseRegisters(PortAccess& ports, uint32_t address, uint32_t& memoryBase, uint16_t& ioBase) {
  for (uint8_t offset : kBaseRegisterOffsets) {
    uint32_t value = ReadConfig(ports, address | (offset & 0xFCu));
    if (value == 0) return;
    if ((value & 1u) == 0) {
      memoryBase = value;
    } else {
      ioBase = static_cast<uint16_t>(value - 1);
    }
  }
}

}  // namespace

uint32_t PciFindCard(PortAccess& ports, uint32_t wanted, uint32_t& memoryBase, uint16_t& ioBase) {
  uint32_t identifier = kAbsentFunction;
  for (uint32_t bus = 0; bus <= 255; ++bus) {
    for (uint32_t device = 0; device <= 31; ++device) {
      for (uint32_t function = 0; function <= 7; ++function) {
        uint32_t address = kConfigEnable | (bus << 16) | (device << 11) | (function << 8);
        identifier = ReadConfig(ports, address);
        if (identifier == kAbsentFunction) continue;
        // Clear what an earlier function left, so that a matching function
        // without an I/O register cannot inherit another device's port.
        memoryBase = 0;
        ioBase = 0;
        ReadBaseRegisters(ports, address, memoryBase, ioBase);
        ports.WritePortDword(kConfigAddressPort, address);
        if (identifier == wanted) return identifier;
      }
    }
  }
  return identifier;
}

std::string SelectCard(PortAccess& ports, const PrivateProfile& profile, std::string_view settingsPath,
                       CardState& card) {
  std::string note;
  uint32_t memoryBase = 0;
  uint16_t ioBase = 0;
  if (PciFindCard(ports, kCardIdentifier, memoryBase, ioBase) == kCardIdentifier) {
    card.cardMemoryBase = memoryBase;
    // Port 0 belongs to the machine, not to a card: a card that shows no I/O
    // register cannot be driven.
    if (ioBase != 0) {
      card.cardKind = "PCI";
      card.inputPort = ioBase;
      card.outputPort = static_cast<uint16_t>(ioBase + kPciLatchOffset);
      return note;
    }
    note = "The PCI card has no I/O port: it is ignored.";
  }
  card.isaPort = ReadIsaPort(profile, settingsPath, card.isaPort);
  // 0xFFFF is "no port", and its latch would wrap round to port 0.
  if (card.isaPort != 0 && card.isaPort != kNoPort) {
    card.cardKind = "ISA";
    card.inputPort = card.isaPort;
    card.outputPort = static_cast<uint16_t>(card.isaPort + kIsaLatchOffset);
  }
  return note;
}

void SetNominalRelays(CardState& card) {
  card.fanLowBit = card.fanLowMask = 1;
  card.fanHighBit = card.fanHighMask = 2;
  card.stage1Bit = card.stage1Mask = 4;
  card.stage2Bit = card.stage2Mask = 8;
  card.heatPumpBit = card.heatPumpMask = 16;
  card.fanLowPower = 0.225f;
  card.fanHighPower = 0.9f;
  card.stage1Power = 15.0f;
  card.stage2Power = 25.0f;
  card.heatPumpPower = 2.0f;
}

bool CardDrivable(const CardState& card) {
  return !card.cardKind.empty() && card.simulationMode == 0 && card.inputPort != kNoPort &&
         card.outputPort != kNoPort;
}

uint8_t ReadCardChannel(PortAccess& ports, Clock& clock, const CardState& card, int channel) {
  if (!CardDrivable(card)) return 0xFF;
  if (card.cardKind == "ISA") {
    ports.WritePortByte(card.inputPort, static_cast<uint8_t>(channel));
    clock.SleepFor(std::chrono::milliseconds(kIsaSettleMilliseconds));
    return ports.ReadPortByte(card.inputPort);
  }
  return ports.ReadPortByte(static_cast<uint16_t>(card.inputPort + channel));
}

void WriteCardOutputs(PortAccess& ports, const CardState& card, uint8_t byte) {
  if (CardDrivable(card)) ports.WritePortByte(card.outputPort, byte);
}

}  // namespace kelvora
