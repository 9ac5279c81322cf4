// The season view: every stored day of "TEMP.DAT" and of the seasons kept in
// "History", and every pre-heat of "PREHEAT.DAT" and its archives, decoded
// from their binary records for the page's charts and CSV downloads.
#ifndef KELVORA_MONITOR_REPORTS_SEASON_VIEW_H_
#define KELVORA_MONITOR_REPORTS_SEASON_VIEW_H_

#include <string>
#include <string_view>
#include <vector>

#include "Monitor/reports/report_parts.h"
#include "platform/file_layer.h"

namespace kelvora {

// One "TEMP.DAT" record; temperatures in °C, wind in km/h, sun in percent.
struct DayRecord {
  std::string date;  // "yy/mm/dd"
  float heatingSeconds = 0, energy = 0;
  float exteriorMin = 0, exteriorMean = 0, exteriorMax = 0;
  float windMin = 0, windMean = 0, windMax = 0;
  float sunHourMax = 0, sunMean = 0, sunMax = 0;
};

// A record's bytes decoded; a short record reads as if padded with zero bytes.
DayRecord DecodeDayRecord(std::string_view bytes);

struct SeasonDay {
  std::string file;  // "TEMP.DAT" or "History/TEMP.yy"
  DayRecord record;
  float cost = 0;  // at the settings' price per kWh
};

struct SeasonPreheat {
  std::string file;  // "PREHEAT.DAT" or "History/PREHEAT.yy"
  std::string date;
  float programmedTime = 0, startTime = 0, arrivalTime = 0;  // seconds since midnight
  float lateMinutes = 0;                                     // arrival after the programmed time
  float startInterior = 0, endInterior = 0, startExterior = 0, energyUsed = 0;
  int variant = 0;  // 1: the heat pump was held on through the set-back
};

struct SeasonRecords {
  std::vector<SeasonDay> days;          // archived seasons oldest first, then the current one
  std::vector<SeasonPreheat> preheats;  // likewise
};

// Reads the season files and their archives (what is missing is skipped).
SeasonRecords ReadSeasonRecords(const ReportParts& parts, FileLayer& files);

// The records as CSV: a header row, then one row per record, "." decimals.
std::string DaysCsv(const SeasonRecords& records);
std::string PreheatsCsv(const SeasonRecords& records);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_REPORTS_SEASON_VIEW_H_
