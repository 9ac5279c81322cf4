// The program's whole run state, owned by one object and touched only by the
// control thread: each subsystem's own state side by side.
#ifndef KELVORA_MONITOR_CORE_RUN_STATE_H_
#define KELVORA_MONITOR_CORE_RUN_STATE_H_

#include "Monitor/card/card_state.h"
#include "Monitor/control/control_state.h"
#include "Monitor/core/common_state.h"
#include "Monitor/core/learning_state.h"
#include "Monitor/core/settings.h"
#include "Monitor/core/statistics_state.h"
#include "Monitor/schedule/day_plan.h"
#include "Monitor/schedule/schedule_state.h"

namespace kelvora {

struct RunState {
  ConstantTexts texts;
  RecordLayouts records;
  Settings settings;
  ClockState clock;
  CardState card;
  SensorState sensors;
  ErrorState errors;
  ControlState control;
  ScheduleState schedule;
  LearningState learning;
  StatisticsState statistics;
};

// The day's plan of a whole run state.
inline DayPlan DayPlanOf(RunState& state) {
  return DayPlan{state.schedule,
                 state.texts,
                 state.settings.languageFrench != 0,
                 state.clock.todayDate,
                 state.control.weatherOffset,
                 state.control.changeFlags};
}

}  // namespace kelvora

#endif  // KELVORA_MONITOR_CORE_RUN_STATE_H_
