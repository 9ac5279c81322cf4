#include "Monitor/control/relays.h"

#include <cmath>
#include <cstddef>

namespace kelvora {

namespace {

// Rated power of the heat pump (kW) when one is configured.
constexpr float kHeatPumpRating = 2.0f;
// Half a hundredth of a degree either side of the heat pump's switching
// level keeps it from chattering on a reading that sits at the level.
constexpr float kHeatPumpHysteresis = 0.0049f;
// The heat pump starts ahead of a pre-heat due within this many seconds.
constexpr int32_t kPreheatLead = 300;

// "HP" other than 1 means no heat-pump relay: the heat-pump settings cannot
// apply. With "HP" 1 the relay gets its bit and rating back, so a file
// corrected by hand takes effect at the next load.
void ConfigureHeatPump(const RelayParts& relays) {
  Settings& settings = relays.settings;
  CardState& card = relays.card;
  if (settings.HP == 1) {
    card.heatPumpMask = card.heatPumpBit;
    card.heatPumpPower = kHeatPumpRating;
    return;
  }
  settings.HP = 0;
  settings.Auto_HP = 0;
  settings.HP_Cont = 0;
  card.heatPumpMask = 0;
  card.heatPumpPower = 0;
  relays.control.heatPumpHold = 0;
}

// A heat pump or air conditioner alone, without "HT", leaves the burner and
// its fan relays unused.
void ConfigureHeating(const RelayParts& relays) {
  const Settings& settings = relays.settings;
  CardState& card = relays.card;
  bool enabled = (settings.HP == 0 && settings.AC == 0) || settings.HT != 0;
  card.fanLowMask = enabled ? card.fanLowBit : 0;
  card.fanHighMask = enabled ? card.fanHighBit : 0;
  card.stage1Mask = enabled ? card.stage1Bit : 0;
  card.stage2Mask = enabled ? card.stage2Bit : 0;
}

// The user's fan choices come from the nominal bits at every load, as at
// start-up: a reload at midnight must not stop a fan asked to run always.
void ConfigureFans(const RelayParts& relays) {
  const Settings& settings = relays.settings;
  const CardState& card = relays.card;
  ControlState& control = relays.control;
  control.autoFanBits = settings.Auto_Fan != 0 ? card.fanLowBit : 0;
  uint8_t contSpeed = settings.Fan_Speed == 0 ? card.fanLowBit : card.fanHighBit;
  control.contFanBits = settings.Cont_Fan != 0 ? contSpeed : 0;
}

bool HeatPumpWantedAtLoad(const RelayParts& relays) {
  const Settings& settings = relays.settings;
  HeatMode mode = relays.control.heatMode;
  bool comfort = mode == HeatMode::kComfort || mode == HeatMode::kPreheat;
  return settings.HP_Cont != 0 || relays.control.heatPumpHold != 0 ||
         (settings.HP == 1 && settings.Auto_HP != 0 && comfort);
}

// The slot after the current one is warmer, its pre-heat is due within five
// minutes and the house has not reached its temperature yet.
bool PreheatDueSoon(const RelayParts& relays, const ScheduleState& schedule, int32_t estimatedArrival) {
  size_t next = static_cast<size_t>(schedule.currentSlot) + 1;
  if (next >= schedule.slotTemps.size()) return false;
  float nextTemp = schedule.slotTemps[next];
  return nextTemp > schedule.programTemp &&
         estimatedArrival >= relays.control.pendingSlotEnd - kPreheatLead &&
         relays.control.interiorTemp < nextTemp;
}

// The heat pump holds the set-point, a little above the burner's level.
void FollowSetpoint(const RelayParts& relays) {
  const ControlState& control = relays.control;
  CardState& card = relays.card;
  float level = control.setpoint + std::fabs(relays.settings.HP_SetForward);
  if (control.interiorTemp > level + kHeatPumpHysteresis) SwitchOff(card, card.heatPumpMask);
  if (control.interiorTemp < level - kHeatPumpHysteresis) SwitchOn(card, card.heatPumpMask);
}

}  // namespace

void ConfigureRelays(const RelayParts& relays) {
  // The masks are settled before the byte is built from them, so no bit is
  // set that its mask could no longer clear.
  ConfigureHeatPump(relays);
  ConfigureHeating(relays);
  Settings& settings = relays.settings;
  if (settings.Auto_HP != 0) settings.HP_Cont = 0;
  ConfigureFans(relays);

  CardState& card = relays.card;
  const ControlState& control = relays.control;
  card.outputByte = 0;
  if (control.heatState == HeatState::kOn) SwitchOn(card, card.fanHighMask);
  if (control.heatMode == HeatMode::kComfort) SwitchOn(card, control.autoFanBits);
  SwitchOn(card, control.contFanBits);
  if (HeatPumpWantedAtLoad(relays)) SwitchOn(card, card.heatPumpMask);
}

void HeatPumpDecision(const RelayParts& relays, const ScheduleState& schedule, int32_t estimatedArrival) {
  const Settings& settings = relays.settings;
  ControlState& control = relays.control;
  CardState& card = relays.card;
  if (settings.HP != 1 || control.heatState == HeatState::kOn) return;
  // A burn switches the heat pump on with it. In a set-back it follows the
  // set-back's level afterwards as it does comfort's: left on, it ran on
  // through the whole set-back and heated the house to comfort and beyond.
  if (control.heatMode == HeatMode::kComfort || control.heatMode == HeatMode::kSetBack)
    FollowSetpoint(relays);
  if (PreheatDueSoon(relays, schedule, estimatedArrival)) SwitchOn(card, card.heatPumpMask);
  if (settings.HP_Cont != 0 || control.heatPumpHold != 0) SwitchOn(card, card.heatPumpMask);
  // An off period is logged as heat pump running or all off; a row just
  // opened by the burner going off takes one of the two.
  CycleCode code = control.cycleState;
  if (code == CycleCode::kOff || code == CycleCode::kHeatPump || code == CycleCode::kHeatPumpWait)
    control.cycleState = IsOn(card, card.heatPumpBit) ? CycleCode::kHeatPump : CycleCode::kOff;
}

}  // namespace kelvora
