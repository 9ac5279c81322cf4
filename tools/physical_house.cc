#include "tools/physical_house.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "Monitor/card/card.h"
#include "Monitor/card/sensors.h"

namespace kelvora {
namespace {

// A converter saturates at its ends rather than wrapping round.
uint8_t ToByte(double raw) { return static_cast<uint8_t>(std::clamp(std::nearbyint(raw), 0.0, 255.0)); }

}  // namespace

PhysicalHouse::PhysicalHouse(const HouseParameters& parameters, Weather weather, double startSeconds,
                             uint32_t noiseSeed)
    : house_(parameters),
      weather_(std::move(weather)),
      now_(startSeconds),
      outside_(weather_.At(startSeconds)),
      noiseScale_(parameters.Sensor_Noise_C),
      random_(noiseSeed) {
  FakeCard::PciFunction function;
  function.device = 3;
  function.identifier = kCardIdentifier;
  function.bars[0] = uint32_t{kIoBase} + 1;  // bit 0 set: an I/O register
  card_.AddPciFunction(function);
  card_.Place(FakeCard::Layout::kPci, kIoBase);
  card_.SetChannelSource([this](int channel) { return RawChannel(channel); });
}

void PhysicalHouse::AdvanceTo(double seconds) {
  if (seconds <= now_) return;
  double heat = house_.HeatingWatts(card_.Latch(), outside_.exteriorC);
  house_.Advance(seconds - now_, heat, outside_);
  now_ = seconds;
  outside_ = weather_.At(seconds);
}

double PhysicalHouse::Noise() { return noiseScale_ > 0 ? noiseScale_ * gauss_(random_) : 0.0; }

uint8_t PhysicalHouse::RawChannel(int channel) {
  const Settings& s = *calibration_;
  switch (channel) {
    case kInteriorChannel:
      return ToByte(10 * (house_.Air() + Noise() - s.Int_Adjust - 5));
    case kExteriorChannel:
      return ToByte(2.55 * (outside_.exteriorC + Noise() - s.Ext_Adjust + 50));
    case kSunChannel:
      return ToByte(2.55 * outside_.sunPct);
    case kWindChannel: {
      float windAdjust = s.WIND_Adjust > 0 ? s.WIND_Adjust : 1.0f;
      return ToByte(WindToRaw(static_cast<float>(outside_.windKmh), s.Wind_Start, windAdjust));
    }
    default:
      return 0;
  }
}

}  // namespace kelvora
