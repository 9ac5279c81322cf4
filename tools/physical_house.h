// The physical test house behind a card: a fake PCI card whose input
// channels read the thermal house and the weather through the inverse of the
// program's sensor conversions (0.1 degC steps on channel 0, with the
// sensors' noise), and whose relay latch heats the house. The program finds
// the card, leaves the simulation and drives it like a real one.
#ifndef KELVORA_TOOLS_PHYSICAL_HOUSE_H_
#define KELVORA_TOOLS_PHYSICAL_HOUSE_H_

#include <cstdint>
#include <random>

#include "Monitor/core/settings.h"
#include "platform/fake_card.h"
#include "tools/house.h"
#include "tools/weather.h"

namespace kelvora {

class PhysicalHouse final : public PortAccess {
 public:
  // Where the card's I/O base register points.
  static constexpr uint16_t kIoBase = 0xE000;

  // `startSeconds` is the simulation's start as LocalSeconds counts it.
  PhysicalHouse(const HouseParameters& parameters, Weather weather, double startSeconds, uint32_t noiseSeed);
  PhysicalHouse(const PhysicalHouse&) = delete;
  PhysicalHouse& operator=(const PhysicalHouse&) = delete;

  // The settings whose calibration the sensors are read with (Int_Adjust,
  // Ext_Adjust, Wind_Start, WIND_Adjust); they must outlive the house.
  // Without them the calibration is neutral.
  void UseCalibration(const Settings* settings) { calibration_ = settings != nullptr ? settings : &neutral_; }

  // Moves the house and its weather on to `seconds`, with the relays as the
  // latch holds them; earlier times are ignored.
  void AdvanceTo(double seconds);

  // The byte the card's channel gives now.
  uint8_t RawChannel(int channel);

  double Interior() const { return house_.Air(); }
  const WeatherSample& Outside() const { return outside_; }
  const FakeCard& Card() const { return card_; }
  const ThermalHouse& Thermal() const { return house_; }

  uint8_t ReadPortByte(uint16_t port) override { return card_.ReadPortByte(port); }
  void WritePortByte(uint16_t port, uint8_t value) override { card_.WritePortByte(port, value); }
  uint32_t ReadPortDword(uint16_t port) override { return card_.ReadPortDword(port); }
  void WritePortDword(uint16_t port, uint32_t value) override { card_.WritePortDword(port, value); }

 private:
  double Noise();

  FakeCard card_;
  ThermalHouse house_;
  Weather weather_;
  double now_;
  WeatherSample outside_;
  double noiseScale_;
  std::mt19937 random_;
  std::normal_distribution<double> gauss_{0.0, 1.0};
  Settings neutral_;
  const Settings* calibration_ = &neutral_;
};

}  // namespace kelvora

#endif  // KELVORA_TOOLS_PHYSICAL_HOUSE_H_
