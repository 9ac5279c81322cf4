// The season file "TEMP.DAT": one 52-byte record per closed day, and its
// move into "History" (with the pre-heat history) when a new heating season
// has begun on 1 July.
#ifndef KELVORA_MONITOR_STATISTICS_SEASON_FILE_H_
#define KELVORA_MONITOR_STATISTICS_SEASON_FILE_H_

#include <string>

#include "Monitor/statistics/statistics_parts.h"

namespace kelvora {

// Opens "TEMP.DAT" (created when missing), rotates it into "History" when its
// last record lies in an earlier season than today, and leaves it open for
// the day's record with tempRecordCount set.
void CheckTempFile(const StatisticsParts& parts, const StatisticsServices& services);

// The 52-byte day record of the day that ends now.
std::string DayRecordBytes(const StatisticsParts& parts);

// Appends the record of the day `date` with the counters `day` (the parts'
// own, or a day read back from its files) to "TEMP.DAT", opening it when it
// was closed.
void AppendDayRecord(const StatisticsParts& parts, const StatisticsServices& services,
                     const StatisticsState& day, const std::string& date);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_STATISTICS_SEASON_FILE_H_
