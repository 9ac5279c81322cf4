// The season file "TEMP.DAT": one 52-byte record per closed day, and its
// move into "History" (with the pre-heat history) when a new heating season
// has begun on 1 July.
#ifndef KELVORA_MONITOR_STATISTICS_SEASON_FILE_H_
#define KELVORA_MONITOR_STATISTICS_SEASON_FILE_H_

#include <string>

#include "Monitor/core/control_host.h"

namespace kelvora {

// Opens "TEMP.DAT" (created when missing), rotates it into "History" when its
// last record lies in an earlier season than today, and leaves it open for
// the day's record with tempRecordCount set.
void CheckTempFile(ControlHost& host);

// The 52-byte day record of the day that ends now.
std::string DayRecordBytes(const RunState& state);

// Appends the record of `day` (the host's own state, or a day read back
// from its files) to "TEMP.DAT", opening it when it was closed.
void AppendDayRecord(ControlHost& host, const RunState& day);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_STATISTICS_SEASON_FILE_H_
