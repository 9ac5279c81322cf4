// The day's accounting and statistics, kept across restarts by the day files.
#ifndef KELVORA_MONITOR_CORE_STATISTICS_STATE_H_
#define KELVORA_MONITOR_CORE_STATISTICS_STATE_H_

#include <cstdint>
#include <string>

namespace kelvora {

// A measured value's extremes and its time-weighted sum over the day.
struct Statistic {
  float minimum = 999;
  float sum = 0;
  float maximum = -999;
};

struct DayStatistics {
  float dayWeightSeconds = 0;
  Statistic interior, exterior, windChill, sun, wind;
  float sunHourMax = 0;
};

struct StatisticsState {
  float powerNow = 0;
  float energyToday = 0;
  float heatingSeconds = 0;
  std::string heatingTimeText = " 0:00:00";
  float onSeconds = 0;
  std::string onTimeText = " 0:00:00";
  float offSeconds = 0;
  std::string offTimeText = " 0:00:00";
  float onPercent = 0, offPercent = 0;
  float setbackSeconds = 0;
  float setbackEnergy = 0;
  float setbackDuty = 0, regularDuty = 0, savedEnergy = 0;
  float energyMark = 0;
  int32_t lastMarkSaveMinute = -1;  // clock minute of the last save on a running-time mark
  DayStatistics day;
  uint16_t tempRecordCount = 0;
  int tempFile = 0;  // "TEMP.DAT", open for the day's record (FileId)
};

}  // namespace kelvora

#endif  // KELVORA_MONITOR_CORE_STATISTICS_STATE_H_
