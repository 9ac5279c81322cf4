#include "Monitor/statistics/season_file.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

#include "Functions/formulas.h"
#include "Functions/record.h"
#include "Monitor/core/kept_files.h"

namespace kelvora {
namespace {

constexpr std::string_view kTempFile = "TEMP.DAT";
constexpr std::string_view kPreheatFile = "PREHEAT.DAT";
constexpr std::string_view kHeatPumpLog = "PH_HP.LOG";
// tempRecordCount is 16 bits; a season holds at most 366 records.
constexpr uint32_t kMaxTempRecords = std::numeric_limits<uint16_t>::max() - 1;

int TwoDigits(std::string_view text) { return (text[0] - '0') * 10 + (text[1] - '0'); }

// "yy/mm/dd" naming a day that exists: "99/99/99" is damage, not a date.
bool IsShortDate(std::string_view date) {
  if (date.size() != 8 || date[2] != '/' || date[5] != '/') return false;
  for (size_t i : {0, 1, 3, 4, 6, 7}) {
    if (!std::isdigit(static_cast<unsigned char>(date[i]))) return false;
  }
  constexpr int kDaysIn[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int month = TwoDigits(date.substr(3)), day = TwoDigits(date.substr(6));
  return month >= 1 && month <= 12 && day >= 1 && day <= kDaysIn[month - 1];
}

// The year in which the heating season of a short date began (on 1 July).
int SeasonStartYear(std::string_view date) {
  return 2000 + TwoDigits(date) - (TwoDigits(date.substr(3)) < 7 ? 1 : 0);
}

// A file longer than any season could make is set aside whole: its record
// count does not fit the counter, and a wrapped count would write the day
// over an old record.
bool SetAsideOversizedFile(const StatisticsParts& parts, const StatisticsServices& services, uint32_t count) {
  if (count <= kMaxTempRecords) return false;
  FileLayer& files = services.files;
  StatisticsState& s = parts.statistics;
  files.Close(s.tempFile);
  std::string aside = FreeFileName(files, std::string(kTempFile) + ".damaged");
  if (!aside.empty()) files.Rename(kTempFile, aside);
  services.console.ConsoleWrite(std::string(kTempFile) + " holds " + std::to_string(count) +
                                " records, more than any season; it is set aside as " + aside +
                                " and a new season file is started.\n");
  s.tempFile = files.OpenRecord(kTempFile, kDayRecordLength);
  return true;
}

// Bytes after the last whole record (a write cut short, a foreign file) are
// kept in a copy, and the file is cut back to its whole records, so that the
// copy is made once and the next record goes where a reader looks for it.
void CutPartialRecord(const StatisticsParts& parts, const StatisticsServices& services, uint32_t count) {
  FileLayer& files = services.files;
  StatisticsState& s = parts.statistics;
  std::optional<std::string> bytes = files.TryReadWholeFile(kTempFile);
  if (!bytes || bytes->size() % kDayRecordLength == 0) return;
  std::string problem =
      "it ends in " + std::to_string(bytes->size() % kDayRecordLength) + " bytes that are no whole record";
  if (!KeepDamagedCopy(files, services.console, kTempFile, problem,
                       "its " + std::to_string(count) + " whole records stay"))
    return;
  files.Close(s.tempFile);
  files.WriteWholeFile(kTempFile, std::string_view(*bytes).substr(0, count * kDayRecordLength));
  s.tempFile = files.OpenRecord(kTempFile, kDayRecordLength);
}

// Opens "TEMP.DAT" (created when missing) and counts its records.
void OpenTempFile(const StatisticsParts& parts, const StatisticsServices& services) {
  FileLayer& files = services.files;
  StatisticsState& s = parts.statistics;
  files.Close(s.tempFile);  // never two channels on the one file
  s.tempFile = files.OpenRecord(kTempFile, kDayRecordLength);
  uint32_t count = files.RecordCount(s.tempFile);
  if (SetAsideOversizedFile(parts, services, count)) count = files.RecordCount(s.tempFile);
  CutPartialRecord(parts, services, count);
  s.tempRecordCount = static_cast<uint16_t>(std::min(count, kMaxTempRecords));
}

// The two-digit year of the season that "TEMP.DAT" holds when that season
// has ended (its last record lies later in the season year than today), or
// empty.
std::string EndedSeasonYear(const StatisticsParts& parts, const StatisticsServices& services) {
  const StatisticsState& s = parts.statistics;
  if (s.tempRecordCount == 0) return {};
  Record last(kDayRecordLength, services.files.GetRecord(s.tempFile, s.tempRecordCount));
  std::string date(last.Get(parts.dayLayout.date));
  if (!IsShortDate(date)) {
    // The year names the archive: without a date there is no safe name.
    services.console.ConsoleWrite(std::string(kTempFile) + ": record " + std::to_string(s.tempRecordCount) +
                                  " has no date; the season file is not archived.\n");
    return {};
  }
  // Only a clock that has crossed 1 July since the last record ends the
  // season: a record later than today (a clock set back) does not.
  if (!IsShortDate(parts.clock.todayDate) ||
      SeasonStartYear(parts.clock.todayDate) <= SeasonStartYear(date)) {
    return {};
  }
  return date.substr(0, 2);
}

// Moves the ended season's files straight into "History", under a free
// name so that no archive already there is replaced. Nothing is deleted: a
// "TEMP." + yy left in "DATA" by an interrupted move may be the only copy of
// its season. False when "TEMP.DAT" could not be moved.
bool ArchiveSeason(const StatisticsParts& parts, const StatisticsServices& services,
                   const std::string& year) {
  FileLayer& files = services.files;
  StatisticsState& s = parts.statistics;
  files.Close(s.tempFile);
  s.tempFile = kNoFile;
  files.MakeDirectory("History");
  std::string tempArchive = FreeFileName(files, "History\\TEMP." + year);
  if (!tempArchive.empty()) files.Rename(kTempFile, tempArchive);
  if (tempArchive.empty() || files.Exists(kTempFile)) return false;
  std::string note = "New heating season: " + std::string(kTempFile) + " moved to " + tempArchive;
  if (files.Exists(kPreheatFile)) {
    std::string preheatArchive = FreeFileName(files, "History\\PREHEAT." + year);
    if (!preheatArchive.empty()) files.Rename(kPreheatFile, preheatArchive);
    note += files.Exists(kPreheatFile) ? "; " + std::string(kPreheatFile) + " could not be moved"
                                       : ", " + std::string(kPreheatFile) + " to " + preheatArchive;
  }
  // The heat pump's log grows with every season: it goes with its season.
  if (files.Exists(kHeatPumpLog)) {
    std::string logArchive = FreeFileName(files, "History\\PH_HP." + year);
    if (!logArchive.empty() && files.TryRename(kHeatPumpLog, logArchive))
      note += ", PH_HP.LOG to " + logArchive;
  }
  services.console.ConsoleWrite(note + ".\n");
  return true;
}

}  // namespace

void CheckTempFile(const StatisticsParts& parts, const StatisticsServices& services) {
  OpenTempFile(parts, services);
  std::string year = EndedSeasonYear(parts, services);
  if (year.empty()) return;
  if (!ArchiveSeason(parts, services, year)) {
    services.console.ConsoleWrite(std::string(kTempFile) +
                                  " could not be moved into History; the new season goes on in it.\n");
  }
  // The new season's file, created empty, or the old one when it stayed.
  OpenTempFile(parts, services);
}

namespace {

// The record of the day `date` with the counters `s`.
std::string RecordBytesOf(const DayRecordLayout& layout, const StatisticsState& s, const std::string& date) {
  const DayStatistics& day = s.day;
  // A day that weighed no time has no mean; 0 keeps the record readable.
  auto mean = [&day](const Statistic& statistic) {
    return day.dayWeightSeconds > 0 ? statistic.sum / day.dayWeightSeconds : 0.0f;
  };
  const std::array<float, 11> values = {s.heatingSeconds,   s.energyToday,        day.exterior.minimum,
                                        mean(day.exterior), day.exterior.maximum, day.wind.minimum,
                                        mean(day.wind),     day.wind.maximum,     day.sunHourMax,
                                        mean(day.sun),      day.sun.maximum};
  static_assert(values.size() == std::tuple_size_v<decltype(layout.numbers)>);
  Record record(layout.layout);
  record.Set(layout.date, date);
  for (size_t i = 0; i < values.size(); ++i) record.Set(layout.numbers[i], values[i]);
  return std::string(record.bytes());
}

}  // namespace

std::string DayRecordBytes(const StatisticsParts& parts) {
  return RecordBytesOf(parts.dayLayout, parts.statistics, parts.clock.todayDate);
}

void AppendDayRecord(const StatisticsParts& parts, const StatisticsServices& services,
                     const StatisticsState& day, const std::string& date) {
  FileLayer& files = services.files;
  StatisticsState& s = parts.statistics;
  // Closed since start-up: the day's record still belongs in the file.
  if (!files.IsOpen(s.tempFile)) OpenTempFile(parts, services);
  // A close interrupted after its record was written runs again at the
  // restart: the day is in the season once.
  if (s.tempRecordCount > 0) {
    Record last(kDayRecordLength, files.GetRecord(s.tempFile, s.tempRecordCount));
    if (last.Get(parts.dayLayout.date) == date) return;
  }
  s.tempRecordCount += 1;
  files.PutRecord(s.tempFile, s.tempRecordCount, RecordBytesOf(parts.dayLayout, day, date));
}

}  // namespace kelvora
