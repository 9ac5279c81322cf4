// The heating decision of every pass: taking over the schedule's
// temperature, the weather corrections, planning and following the morning
// pre-heat, and the burner's two stages with their learned switching
// corrections, each heating cycle logged as a row of the cycle table.
#ifndef KELVORA_MONITOR_CONTROL_HEATING_H_
#define KELVORA_MONITOR_CONTROL_HEATING_H_

#include "Monitor/card/card_io.h"
#include "Monitor/card/card_state.h"
#include "Monitor/control/control_state.h"
#include "Monitor/core/common_state.h"
#include "Monitor/core/host_services.h"
#include "Monitor/core/learning_operations.h"
#include "Monitor/core/learning_state.h"
#include "Monitor/core/records.h"
#include "Monitor/core/settings.h"
#include "Monitor/core/statistics_state.h"
#include "Monitor/schedule/schedule_state.h"

namespace kelvora {

// What the decision reads and writes: the slot's temperatures and the
// program temperature taken over, the burner and its cycle rows, the relay
// byte, the pre-heat's steps and record, and the day's running times. Then
// what it calls: the card's latch, the learning, and the day's save when a
// burn ends. The settings stay as they are: the heat-pump rules take them
// with the parts a settings load corrects.
struct HeatingParts {
  Settings& settings;
  const ClockState& clock;
  const PreheatRecordLayout& preheatLayout;
  ScheduleState& schedule;
  ControlState& control;
  CardState& card;
  LearningState& learning;
  StatisticsState& statistics;
  CardIo& io;
  LearningOperations& operations;
  DaySaving& days;
};

// Runs after the slot in force has been chosen; writes the output byte to the
// card whenever it changes it.
void HeatingDecision(const HeatingParts& heating);

// The weather corrections: COLD raises, SUNNY lowers the set-point, which
// follows the held program temperature `programTemp`.
void WeatherModes(ControlState& control, const Settings& settings, float programTemp);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_CONTROL_HEATING_H_
