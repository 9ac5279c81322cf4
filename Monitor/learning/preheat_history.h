// The pre-heat history "PREHEAT.DAT": one 120-byte record per finished
// pre-heat. The reader archives seasons older than five, selects the records
// that resemble the coming pre-heat (relaxing its windows until enough are
// found), and averages them by wind-chill class into the fall-back model.
#ifndef KELVORA_MONITOR_LEARNING_PREHEAT_HISTORY_H_
#define KELVORA_MONITOR_LEARNING_PREHEAT_HISTORY_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "Monitor/learning/learning_parts.h"

namespace kelvora {

inline constexpr const char* kPreheatHistoryFile = "PREHEAT.DAT";

// A history record with its fields decoded, named as in the file.
struct PreheatHistoryRecord {
  std::string date;  // "yy/mm/dd"
  float startTime = 0, dayMeanExterior = 0, dayMeanWind = 0, dayMeanSun = 0, dayWindChill = 0;
  float setbackStartTime = 0, setbackStartExterior = 0, setbackStartInterior = 0;
  float dropRate = 0, dropTimeConst = 0;
  float startExterior = 0, startWind = 0, startSun = 0, startWindChill = 0;
  float firstStepInterior = 0, stepThreshold = 0, endInterior = 0, programmedTime = 0;
  float predictedSeconds = 0, actualSeconds = 0;
  int16_t riseDelay = 0, inertiaDelay = 0;
  float fittedTimeConst = 0, fittedCeiling = 0;
  int16_t inertDeg = 0, variant = 0;
  float energyUsed = 0, reserved = 0, slope = 0, curve = 0;
};

// Decodes a record's bytes; a short record reads as if padded with zero bytes.
PreheatHistoryRecord DecodePreheatRecord(std::string_view bytes);
std::string EncodePreheatRecord(const PreheatHistoryRecord& record);

// Whether `record` is taken by a selection at `relaxLevel` (-1..3): its
// variant must be the current one (`heatPumpHold`); the date, season and
// time windows apply by level. `timeWindow` false leaves the time window out.
bool HistorySelects(const LearningParts& state, const PreheatHistoryRecord& record, int relaxLevel,
                    bool timeWindow = true);

// Reads record `number` (from 1) of the open history.
PreheatHistoryRecord ReadHistoryRecord(const LearningParts& state, const LearningServices& services,
                                       uint16_t number);

// Rotation, class width, selection passes, default classes and the
// interpolation at the current wind chill. Leaves the history open.
void ReadPreheatHistory(const LearningParts& state, const LearningServices& services);
// Closes the history (and a rotation's temporary file, if one is open).
void ClosePreheatHistory(const LearningParts& state, const LearningServices& services);
// Appends LearningState::preheatRecord as the history's next record.
void AppendPreheatRecord(const LearningParts& state, const LearningServices& services);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_LEARNING_PREHEAT_HISTORY_H_
