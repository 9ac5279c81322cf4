#include "Monitor/control/simulated_house.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "Functions/formulas.h"
#include "Monitor/card/card.h"
#include "Monitor/card/sensors.h"
#include "Monitor/control/cycle_log.h"
#include "Monitor/core/clock_text.h"

namespace kelvora {

namespace {

constexpr int32_t kGapSeconds = 1800;      // a longer silence means the program was not running
constexpr int32_t kSunNoon = 46800;        // 13:00, when the simulated sun is highest
constexpr int32_t kSunHalfDay = 25200;     // seven hours either side of it
constexpr int kSimulatedWindSamples = 10;  // the simulated wind is smoothed over ten samples

// The low 8 bits of the value rounded to the nearest integer, halves to even,
// as the card's byte would wrap. A value that is not a number reads 0.
float WrapToByte(float value) {
  if (!std::isfinite(value)) return 0;
  float wrapped = std::fmod(std::nearbyint(value), 256.0f);
  return wrapped < 0 ? wrapped + 256.0f : wrapped;
}

int8_t DirectionOfCurrentCycle(const ControlState& control) {
  return HoldsCode(control.cycleLog(control.cycleIndex, kCycleState), CycleCode::kOff) ? -1 : 1;
}

void StartSimulation(const HouseParts& house, int32_t now) {
  SensorState& sim = house.sensors;
  ControlState& control = house.control;
  const Settings& settings = house.settings;
  sim.simStarted = true;
  sim.simStartTemp = settings.D_Int_Temp;
  int row = control.cycleIndex;
  control.cycleLog(row, kCycleInterior) = settings.D_Int_Temp;
  // The house starts now, at its own temperature, in the day's first row or
  // before there is one (the settings load's reading at start-up): from a
  // start at second 0 it would have cooled since midnight.
  if (row <= 1) {
    control.cycleLog(row, kCycleStart) = static_cast<float>(now);
    control.cycleLog(row, kCycleExterior) = settings.D_Ext_Temp;
    control.cycleLog(row, kCycleDuration) = 0;
  }
  sim.simDirection = DirectionOfCurrentCycle(control);
  if (sim.simDirection == 1) sim.simLastDirection = 1;
  sim.simRate = 13;
  sim.simAccel = 1;
  control.capacities.wind = kSimulatedWindSamples;
  control.windRing.Dimension(control.capacities.wind);
  control.windHourRing.Dimension(control.capacities.windHour);
}

// After a long silence the house went on in the running cycle: a row that
// continues it from where it was last known up to now.
void AppendGapRow(ControlState& control, int32_t now) {
  int row = control.cycleIndex;
  NextCycleRow(control);
  for (int column = kCycleState; column <= kCycleEnergy; ++column) {
    control.cycleLog(row + 1, column) = control.cycleLog(row, column);
  }
  float start = control.cycleLog(row, kCycleStart) + control.cycleLog(row, kCycleDuration);
  control.cycleLog(row + 1, kCycleStart) = start;
  control.cycleLog(row + 1, kCycleDuration) = static_cast<float>(now) - start;
  control.cycleIndex = row + 1;
}

// Minutes since the current cycle started. A second-stage row that follows a
// first-stage row belongs to the same burn, so it counts from that row.
float CycleAgeMinutes(const ControlState& control, int32_t now) {
  int row = control.cycleIndex;
  float start = control.cycleLog(row, kCycleStart);
  if (row >= 1 && HoldsCode(control.cycleLog(row, kCycleState), CycleCode::kHeatPump)) {
    float previous = control.cycleLog(row - 1, kCycleState);
    if (previous == 1 || previous == -1) start = control.cycleLog(row - 1, kCycleStart);
  }
  // A start in the future (a clock set back) would take the root of a
  // negative number: the cycle is taken as just begun.
  float age = std::max(static_cast<float>(now) - start, 0.0f);
  return age / 60;
}

float SimulatedInterior(const SensorState& sim, float minutes) {
  float rise =
      (std::sqrt(4 * sim.simAccel * minutes + sim.simRate * sim.simRate) - sim.simRate) / (2 * sim.simAccel);
  float wobble = Pcv(minutes / 2) * sim.simNoiseScale * static_cast<float>(sim.simDirection);
  float interior = static_cast<float>(sim.simDirection) * rise + sim.simStartTemp - wobble;
  return 10 * interior - 50;
}

float SimulatedExterior(const Settings& settings, UniformRandom& random) {
  float first = random.Next();
  float value = (first - random.Next()) * 0.4f + settings.D_Ext_Temp;
  return 2.55f * value + 127.5f;
}

float SimulatedSun(SensorState& sim, UniformRandom& random, int32_t now) {
  int32_t distance = std::abs(now - kSunNoon);
  float height = distance <= kSunHalfDay ? static_cast<float>(kSunHalfDay - distance) : 0.0f;
  sim.simSun = std::fabs(height / 3600 * 14 + 2 * static_cast<float>(sim.simDirection) * random.Next());
  return 255 * sim.simSun / 100;
}

// The drawn speed goes through the inverse of the wind conversion, so that
// the control pass reads it back.
float SimulatedWind(const Settings& settings, UniformRandom& random) {
  float first = random.Next();
  float value = first / (random.Next() + 0.5f) * settings.D_Wind * 2;
  return WindToRaw(value, settings.Wind_Start, settings.WIND_Adjust);
}

float Simulate(const HouseParts& house, SensorContext& context, int8_t channel, float cardValue) {
  SensorState& sim = house.sensors;
  ControlState& control = house.control;
  int32_t now = ClockSecond(context.clock);
  if (!sim.simStarted) StartSimulation(house, now);
  sim.simStartTemp = control.cycleLog(control.cycleIndex, kCycleInterior);
  sim.simDirection = DirectionOfCurrentCycle(control);
  if (sim.simDirection != sim.simLastDirection) {
    sim.simLastDirection = sim.simDirection;
    sim.simNoiseScale = context.random.Next() / 10 + 0.5f;
  }
  int32_t previousCall = sim.simLastCallSeconds;
  sim.simLastCallSeconds = now;
  if (channel == kInteriorChannel && previousCall >= 0 && now - previousCall > kGapSeconds) {
    AppendGapRow(control, now);
  }
  float minutes = CycleAgeMinutes(control, now);
  switch (channel) {
    case kInteriorChannel:
      return WrapToByte(SimulatedInterior(sim, minutes));
    case kExteriorChannel:
      return WrapToByte(SimulatedExterior(house.settings, context.random));
    case kSunChannel:
      return WrapToByte(SimulatedSun(sim, context.random, now));
    case kWindChannel:
      return WrapToByte(SimulatedWind(house.settings, context.random));
    default:
      return cardValue;
  }
}

}  // namespace

float ReadChannel(const HouseParts& house, SensorContext& context, int8_t channel) {
  float value = ReadCardChannel(context.ports, context.clock, house.card, channel);
  if (house.card.simulationMode != 0) value = Simulate(house, context, channel, value);
  if (channel == kInteriorChannel) house.sensors.lastInteriorRaw = value;
  return value;
}

}  // namespace kelvora
