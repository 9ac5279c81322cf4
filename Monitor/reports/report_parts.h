// What the lists, the status screen, the season view and the step curve
// read of the run state. They show it and change nothing, but for the
// curve: it plans with the pre-heat estimate, which works in the learning's
// values and puts them back.
#ifndef KELVORA_MONITOR_REPORTS_REPORT_PARTS_H_
#define KELVORA_MONITOR_REPORTS_REPORT_PARTS_H_

#include "Monitor/card/card_state.h"
#include "Monitor/control/control_state.h"
#include "Monitor/core/common_state.h"
#include "Monitor/core/learning_operations.h"
#include "Monitor/core/learning_state.h"
#include "Monitor/core/settings.h"
#include "Monitor/core/statistics_state.h"
#include "Monitor/schedule/schedule_state.h"

namespace kelvora {

struct ReportParts {
  const ConstantTexts& texts;
  const Settings& settings;
  const ClockState& clock;
  const CardState& card;
  const ScheduleState& schedule;
  const ControlState& control;
  const LearningState& learning;
  const StatisticsState& statistics;
};

// The step table and the model the curve is drawn from, the estimate's
// working values and the estimate itself, and the rows the model is fitted
// from (Inert_Deg).
struct StepCurveParts {
  LearningState& learning;
  const Settings& settings;
  LearningOperations& operations;
};

}  // namespace kelvora

#endif  // KELVORA_MONITOR_REPORTS_REPORT_PARTS_H_
