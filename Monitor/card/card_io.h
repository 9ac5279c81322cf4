// The card as the control pass drives it: the output latch and the sensor
// channels, real or simulated. The program implements it.
#ifndef KELVORA_MONITOR_CARD_CARD_IO_H_
#define KELVORA_MONITOR_CARD_CARD_IO_H_

#include <cstdint>

namespace kelvora {

class CardIo {
 public:
  virtual ~CardIo() = default;
  // Writes `byte` to the card's output latch, when there is a card to drive.
  virtual void WriteOutputs(uint8_t byte) = 0;
  // The raw value of a sensor channel, from the card or the simulated house.
  virtual float ReadChannel(int8_t channel) = 0;
};

}  // namespace kelvora

#endif  // KELVORA_MONITOR_CARD_CARD_IO_H_
