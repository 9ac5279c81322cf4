// The day's state on disk: "STAT.DAT" (counters, texts, day statistics and
// the cycle strip) and "CYCLE.DAT" (the heating cycles), written whole at the
// burner stops and the five-minute marks and read back at start-up, and the
// reset of the day state at the start of each day.
#ifndef KELVORA_MONITOR_STATISTICS_DAY_FILES_H_
#define KELVORA_MONITOR_STATISTICS_DAY_FILES_H_

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "Monitor/statistics/statistics_parts.h"

namespace kelvora {

// Counters, accumulators, day statistics, duration texts, the cycle table and
// the cycle strip back to the start of a day (re-dimensioned 0..500 x 0..5
// and 0..15).
void ResetDayState(const StatisticsParts& parts);

std::string StatFileText(const StatisticsParts& parts);
std::string CycleFileText(const ControlState& control);

// CycleFileText for a caller that saves the day again and again: the text of
// a row is made again only when its values changed since the last call.
class CycleFileWriter {
 public:
  std::string Text(const ControlState& control);

 private:
  using Row = std::array<float, kCycleEnergy + 1>;
  std::vector<Row> values_;
  std::vector<std::string> lines_;
};

// Writes both files, each replaced whole.
void SaveDayState(const StatisticsParts& parts, FileLayer& files);
// Writes the two day files from texts made earlier by the two functions above.
void WriteDayFiles(FileLayer& files, const std::string& statText, const std::string& cycleText);

// Restores the day from both files when they hold anything, then resumes
// the cycle rows: a running cycle is closed by an off row up to now, and an
// empty day gets its first off row from the raw sensor readings. A damaged
// file changes nothing it cannot read and is kept beside itself, with a
// console line saying so.
void RestoreDayState(const StatisticsParts& parts, const StatisticsServices& services);

// Parses the files' texts into the parts. False, with `problem` set, when
// the text is damaged; the parts are then left as they were.
bool ParseStatFile(std::string_view text, const StatisticsParts& parts, std::string* problem);
bool ParseCycleFile(std::string_view text, ControlState& control, std::string* problem);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_STATISTICS_DAY_FILES_H_
