#include "Monitor/reports/season_view.h"

#include <cmath>
#include <cstdio>
#include <optional>

#include "Functions/record.h"
#include "Monitor/core/records.h"
#include "Monitor/learning/preheat_history.h"

namespace kelvora {
namespace {

std::string TwoDigits(int n) {
  return std::string(1, static_cast<char>('0' + n / 10)) + static_cast<char>('0' + n % 10);
}

// The season files in the order of their seasons: the archives by year, then
// the current file. A season archived twice under one year keeps its first name.
std::vector<std::string> SeasonFiles(FileLayer& files, const std::string& todayDate, const std::string& stem,
                                     const std::string& current) {
  std::vector<std::string> names;
  const int thisYear = std::atoi(todayDate.substr(0, 2).c_str());
  // Two-digit years: those after this one belong to the previous century.
  for (int offset = 99; offset >= 0; --offset) {
    const std::string name = "History/" + stem + "." + TwoDigits((thisYear + 100 - offset) % 100);
    if (files.FileSize(name)) names.push_back(name);
  }
  names.push_back(current);
  return names;
}

template <typename Each>
void ForEachRecord(FileLayer& files, const std::string& name, size_t length, Each each) {
  std::optional<std::string> bytes = files.TryReadWholeFile(name);
  if (!bytes) return;
  // A partial record at the end (a write cut short) is left out.
  for (size_t at = 0; at + length <= bytes->size(); at += length)
    each(std::string_view(*bytes).substr(at, length));
}

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.pop_back();
  return text;
}

SeasonPreheat Summarise(const std::string& file, const PreheatHistoryRecord& r) {
  SeasonPreheat p;
  p.file = file;
  p.date = Trimmed(r.date);
  p.programmedTime = r.programmedTime;
  p.startTime = r.startTime;
  p.arrivalTime = r.startTime + r.actualSeconds;
  p.lateMinutes = (p.arrivalTime - r.programmedTime) / 60;
  p.startInterior = r.firstStepInterior;
  p.endInterior = r.endInterior;
  p.startExterior = r.startExterior;
  p.energyUsed = r.energyUsed;
  p.variant = r.variant;
  return p;
}

std::string Number(float value, int places) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", places, static_cast<double>(value));
  return text;
}

// 20 yy/mm/dd as an ISO date, which spreadsheets read as a date.
std::string IsoDate(const std::string& shortDate) {
  if (shortDate.size() != 8) return shortDate;
  return "20" + shortDate.substr(0, 2) + "-" + shortDate.substr(3, 2) + "-" + shortDate.substr(6, 2);
}

// A time of day "hh:mm"; none for what is no time (a damaged record).
std::string ClockOf(float seconds) {
  if (!(seconds >= 0 && seconds < 2 * 86400)) return "";
  const int s = static_cast<int>(seconds + 0.5f);
  return TwoDigits(s / 3600 % 100) + ":" + TwoDigits(s / 60 % 60);
}

}  // namespace

DayRecord DecodeDayRecord(std::string_view bytes) {
  std::string whole(bytes.substr(0, kDayRecordLength));
  whole.resize(kDayRecordLength, '\0');
  DayRecord d;
  d.date = Trimmed(whole.substr(0, kDateFieldLength));
  float* numbers[] = {&d.heatingSeconds, &d.energy,  &d.exteriorMin, &d.exteriorMean,
                      &d.exteriorMax,    &d.windMin, &d.windMean,    &d.windMax,
                      &d.sunHourMax,     &d.sunMean, &d.sunMax};
  for (size_t i = 0; i < 11; ++i)
    *numbers[i] = Cvs(std::string_view(whole).substr(kDateFieldLength + 4 * i, 4));
  return d;
}

SeasonRecords ReadSeasonRecords(const ReportParts& parts, FileLayer& files) {
  SeasonRecords records;
  const float price = parts.settings.KWh_Cost;
  for (const std::string& file : SeasonFiles(files, parts.clock.todayDate, "TEMP", "TEMP.DAT")) {
    ForEachRecord(files, file, kDayRecordLength, [&](std::string_view bytes) {
      DayRecord day = DecodeDayRecord(bytes);
      records.days.push_back({file, day, day.energy * price});
    });
  }
  for (const std::string& file : SeasonFiles(files, parts.clock.todayDate, "PREHEAT", kPreheatHistoryFile)) {
    ForEachRecord(files, file, kPreheatRecordLength, [&](std::string_view bytes) {
      records.preheats.push_back(Summarise(file, DecodePreheatRecord(bytes)));
    });
  }
  return records;
}

std::string DaysCsv(const SeasonRecords& records) {
  std::string csv =
      "file,date,heating_hours,energy_kwh,cost,exterior_min_c,exterior_mean_c,exterior_max_c,"
      "wind_min_kmh,wind_mean_kmh,wind_max_kmh,sun_hour_max_pct,sun_mean_pct,sun_max_pct\n";
  for (const SeasonDay& day : records.days) {
    const DayRecord& d = day.record;
    csv += day.file + "," + IsoDate(d.date) + "," + Number(d.heatingSeconds / 3600, 3) + "," +
           Number(d.energy, 3) + "," + Number(day.cost, 2) + "," + Number(d.exteriorMin, 2) + "," +
           Number(d.exteriorMean, 2) + "," + Number(d.exteriorMax, 2) + "," + Number(d.windMin, 1) + "," +
           Number(d.windMean, 1) + "," + Number(d.windMax, 1) + "," + Number(d.sunHourMax, 1) + "," +
           Number(d.sunMean, 1) + "," + Number(d.sunMax, 1) + "\n";
  }
  return csv;
}

std::string PreheatsCsv(const SeasonRecords& records) {
  std::string csv =
      "file,date,programmed,start,arrival,late_minutes,start_interior_c,end_interior_c,start_exterior_c,"
      "energy_kwh,heat_pump_held\n";
  for (const SeasonPreheat& p : records.preheats) {
    csv += p.file + "," + IsoDate(p.date) + "," + ClockOf(p.programmedTime) + "," + ClockOf(p.startTime) +
           "," + ClockOf(p.arrivalTime) + "," + Number(p.lateMinutes, 1) + "," + Number(p.startInterior, 2) +
           "," + Number(p.endInterior, 2) + "," + Number(p.startExterior, 2) + "," + Number(p.energyUsed, 3) +
           "," + std::to_string(p.variant) + "\n";
  }
  return csv;
}

}  // namespace kelvora
