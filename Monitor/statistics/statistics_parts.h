// What the day's accounting and its files read and write of the run state,
// and the services they call.
#ifndef KELVORA_MONITOR_STATISTICS_STATISTICS_PARTS_H_
#define KELVORA_MONITOR_STATISTICS_STATISTICS_PARTS_H_

#include "Monitor/card/card_io.h"
#include "Monitor/card/card_state.h"
#include "Monitor/control/control_state.h"
#include "Monitor/core/common_state.h"
#include "Monitor/core/host_services.h"
#include "Monitor/core/records.h"
#include "Monitor/core/statistics_state.h"
#include "platform/clock.h"
#include "platform/file_layer.h"

namespace kelvora {

// The day's counters and the season file's channel, the clock stamp, the
// relay byte the energy is drawn by (restored from "STAT.DAT"), the cycle
// rows and strip the day files keep, and the interior a fresh day's first
// row starts from.
struct StatisticsParts {
  const DayRecordLayout& dayLayout;
  ClockState& clock;
  CardState& card;
  const SensorState& sensors;
  ControlState& control;
  StatisticsState& statistics;
};

// The day's and the season's files, the clock the passes are stamped by,
// the console that hears of a damaged or moved file, the card's channels a
// fresh day's first row is read from, the day's save at the marks and the
// status screen's values after each pass.
struct StatisticsServices {
  FileLayer& files;
  Clock& clock;
  Console& console;
  CardIo& io;
  DaySaving& days;
  StatusDisplay& status;
};

}  // namespace kelvora

#endif  // KELVORA_MONITOR_STATISTICS_STATISTICS_PARTS_H_
