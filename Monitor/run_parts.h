// The parts of the whole run state that each step below the program takes,
// cut out of it by the program (and by tests that hold a whole run state).
#ifndef KELVORA_MONITOR_RUN_PARTS_H_
#define KELVORA_MONITOR_RUN_PARTS_H_

#include "Monitor/control/heating.h"
#include "Monitor/control/simulated_house.h"
#include "Monitor/control/weather.h"
#include "Monitor/core/control_host.h"
#include "Monitor/core/run_state.h"
#include "Monitor/learning/learning_parts.h"
#include "Monitor/reports/report_parts.h"
#include "Monitor/statistics/statistics_parts.h"

namespace kelvora {

inline HouseParts HousePartsOf(RunState& state) {
  return HouseParts{state.settings, state.card, state.sensors, state.control};
}

inline SensorParts SensorPartsOf(RunState& state) {
  return SensorParts{state.settings, state.texts.settingsPath, state.control,
                     state.statistics.day.sunHourMax};
}

inline HeatingParts HeatingPartsOf(ControlHost& host) {
  RunState& state = host.State();
  return HeatingParts{state.settings,
                      state.clock,
                      state.records.preheat,
                      state.schedule,
                      state.control,
                      state.card,
                      state.learning,
                      state.statistics,
                      host,
                      host.Learning(),
                      host};
}

inline LearningParts LearningPartsOf(RunState& state) {
  return LearningParts{state.texts,   state.records,  state.settings, state.clock,     state.card,
                       state.control, state.schedule, state.learning, state.statistics};
}
inline LearningParts LearningPartsOf(ControlHost& host) { return LearningPartsOf(host.State()); }

inline LearningServices LearningServicesOf(ControlHost& host) {
  return LearningServices{host.Files(), host.Profile(), host, host, host, host};
}

inline StatisticsParts StatisticsPartsOf(RunState& state) {
  return StatisticsParts{state.records.day, state.clock,   state.card,
                         state.sensors,     state.control, state.statistics};
}
inline StatisticsParts StatisticsPartsOf(ControlHost& host) { return StatisticsPartsOf(host.State()); }

inline StatisticsServices StatisticsServicesOf(ControlHost& host) {
  return StatisticsServices{host.Files(), host.ClockSource(), host, host, host, host};
}

inline ReportParts ReportPartsOf(const RunState& state) {
  return ReportParts{state.texts,    state.settings, state.clock,    state.card,
                     state.schedule, state.control,  state.learning, state.statistics};
}

inline StepCurveParts StepCurvePartsOf(ControlHost& host) {
  return StepCurveParts{host.State().learning, host.State().settings, host.Learning()};
}

}  // namespace kelvora

#endif  // KELVORA_MONITOR_RUN_PARTS_H_
