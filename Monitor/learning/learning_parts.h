// What the learning reads and writes of the run state, and the services it
// calls. The learning update replays the night on the clock, control and
// schedule values and puts them back afterwards.
#ifndef KELVORA_MONITOR_LEARNING_LEARNING_PARTS_H_
#define KELVORA_MONITOR_LEARNING_LEARNING_PARTS_H_

#include "Monitor/card/card_state.h"
#include "Monitor/control/control_state.h"
#include "Monitor/core/common_state.h"
#include "Monitor/core/host_services.h"
#include "Monitor/core/learning_state.h"
#include "Monitor/core/settings.h"
#include "Monitor/core/statistics_state.h"
#include "Monitor/schedule/schedule_state.h"
#include "platform/file_layer.h"
#include "platform/private_profile.h"

namespace kelvora {

struct LearningParts {
  const ConstantTexts& texts;
  const RecordLayouts& records;
  Settings& settings;  // the history keeps its year range in them
  ClockState& clock;
  const CardState& card;
  ControlState& control;
  ScheduleState& schedule;
  LearningState& learning;
  const StatisticsState& statistics;
};

// The learning's files and the settings file it reads its [System] keys
// from; the console that hears of a damaged file, its working reports, the
// status screen they run over, and the day's save, paused while the night is
// replayed.
struct LearningServices {
  FileLayer& files;
  PrivateProfile& profile;
  Console& console;
  Diagnostics& diagnostics;
  StatusDisplay& status;
  DaySaving& days;
};

}  // namespace kelvora

#endif  // KELVORA_MONITOR_LEARNING_LEARNING_PARTS_H_
