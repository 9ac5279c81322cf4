// The I/O card as the program drives it, and the simulated house that
// stands in for its sensors when there is none.
#ifndef KELVORA_MONITOR_CARD_CARD_STATE_H_
#define KELVORA_MONITOR_CARD_CARD_STATE_H_

#include <cstdint>
#include <string>

namespace kelvora {

// The relay bits, their masks and rated powers (kW).
struct CardState {
  std::string cardKind;  // "PCI", "ISA" or empty
  uint8_t simulationMode = 0;
  uint16_t isaPort = 0;
  uint16_t inputPort = 0;
  uint16_t outputPort = 0;
  uint32_t cardMemoryBase = 0;  // found by the PCI scan; kept, not used
  uint8_t outputByte = 0;

  uint8_t fanLowBit = 0, fanHighBit = 0, stage1Bit = 0, stage2Bit = 0, heatPumpBit = 0;
  uint8_t fanLowMask = 0, fanHighMask = 0, stage1Mask = 0, stage2Mask = 0, heatPumpMask = 0;
  float fanLowPower = 0, fanHighPower = 0, stage1Power = 0, stage2Power = 0, heatPumpPower = 0;
  float totalRatedPower = 0;
};

// The simulated house that stands in for the sensors when there is no card.
struct SensorState {
  bool simStarted = false;  // the first simulated reading has been made
  float simStartTemp = 0;   // interior at the start of the current cycle
  int8_t simDirection = 0;  // +1 while the current cycle heats, -1 while it is off
  int8_t simLastDirection = 0;
  float simNoiseScale = 0;  // drawn again at each change of direction
  float simRate = 13;
  float simAccel = 1;
  float simSun = 0;
  int32_t simLastCallSeconds = -1;  // clock second of the previous reading; -1 before the first
  float lastInteriorRaw = 0;        // the last raw value of the interior channel
};

}  // namespace kelvora

#endif  // KELVORA_MONITOR_CARD_CARD_STATE_H_
