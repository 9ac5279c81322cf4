// Feeds arbitrary bytes to the schedule-file reader and the day's plan: the
// input is cut at form feeds into the Programs, Days, Holidays, Hours and
// Temps files, read as the loader reads them, and every weekday is resolved.
// Checks what must hold for any file: tables within their capacity, plain
// tables that read back as written, a sorted and closed slot table with its
// indices inside it.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "Monitor/core/clock_text.h"
#include "Monitor/core/run_state.h"
#include "Monitor/schedule/day_plan.h"
#include "Monitor/schedule/schedule_files.h"

namespace {

using kelvora::RunState;
using kelvora::ScheduleState;

void Check(bool condition) {
  if (!condition) std::abort();
}

constexpr std::string_view kTimes[] = {"00:00", "06:30", "12:00", "23:59", "24:00", "x"};

RunState FreshState(bool french) {
  RunState state;
  state.texts.dayNameTable[0] = {"",          "Sunday",   "Monday", "Tuesday",
                                 "Wednesday", "Thursday", "Friday", "Saturday"};
  state.texts.dayNameTable[1] = {"", "DIMANCHE", "LUNDI", "MARDI", "MERCREDI", "JEUDI", "VENDREDI", "SAMEDI"};
  state.texts.defaultProgramName = {"DEFAULT", "DEFAUT"};
  state.texts.holidayProgramName = {"HOLIDAY", "CONGE"};
  state.settings.languageFrench = french ? 1 : 0;
  state.clock.todayDate = "19/12/25";
  state.schedule.daySlots[0].start = "00:00";
  return state;
}

using Rows = std::vector<std::vector<std::string>>;

Rows RowsOf(const ScheduleState& s, uint8_t kind) {
  Rows rows;
  auto add = [&](auto... field) { rows.push_back({field...}); };
  switch (kind) {
    case kelvora::kProgramsKind:
      for (const auto& r : s.programRows) add(r.program, r.time, r.temperature);
      break;
    case kelvora::kDaysKind:
      for (const auto& r : s.dayRows) add(r.day, r.program);
      break;
    case kelvora::kHolidaysKind:
      for (const auto& r : s.holidayRows) add(r.date, r.program);
      break;
    case kelvora::kHoursKind:
      for (const auto& r : s.hourLabels) add(r.name, r.value);
      break;
    default:
      for (const auto& r : s.tempLabels) add(r.name, r.value);
  }
  return rows;
}

// A field that is written and read back unchanged: no comma, no line feed,
// no blank or quote in front.
bool Plain(const std::string& field) {
  return field.find_first_of(",\n") == std::string::npos &&
         (field.empty() || (field[0] != ' ' && field[0] != '"'));
}

void CheckRoundTrip(const ScheduleState& schedule, uint8_t kind) {
  Rows rows = RowsOf(schedule, kind);
  for (const auto& row : rows) {
    for (const std::string& field : row) {
      if (!Plain(field)) return;
    }
  }
  ScheduleState again;
  kelvora::ReadScheduleText(kind, kelvora::ScheduleFileText(schedule, kind), again);
  Check(RowsOf(again, kind) == rows);
}

void CheckSlots(const ScheduleState& s) {
  uint8_t n = s.slotCount;
  Check(n <= kelvora::kMaxDaySlots);
  Check(s.currentSlot <= n + 1);
  Check(s.nextSlot <= n);
  Check(s.daySlots[n + 1].start == "24:00" && s.daySlots[n + 1].end == "99:99");
  Check(s.daySlots[0].end == s.daySlots[1].start);
  for (uint8_t i = 1; i < n; ++i) Check(s.daySlots[i].start <= s.daySlots[i + 1].start);
}

void ResolveEveryDay(RunState& state) {
  for (uint8_t weekday = 0; weekday <= 8; ++weekday) {
    state.schedule.currentProgram.clear();
    std::string report = kelvora::SelectDayProgram(DayPlanOf(state), weekday, "12:00");
    Check(report.empty() || (report.back() == '\n' && report.find(" -> ") != std::string::npos));
    Check(state.schedule.currentProgram == state.schedule.requestedProgram);
    CheckSlots(state.schedule);
    for (std::string_view now : kTimes) {
      kelvora::FindCurrentSlot(DayPlanOf(state), now);
      CheckSlots(state.schedule);
    }
  }
}

void CheckClockTimes(const ScheduleState& s) {
  for (const kelvora::LabelRow& label : s.hourLabels) {
    std::string text = label.value;
    kelvora::ClockTime time = kelvora::ParseClockTime(text);
    Check(text.size() <= 5);
    Check(time.seconds == time.hours * 3600 + time.minutes * 60);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  RunState state = FreshState(size % 2 == 1);
  for (uint8_t kind = 0; kind <= kelvora::kTempsKind; ++kind) {
    size_t end = input.find('\f');
    kelvora::ReadScheduleText(kind, input.substr(0, end), state.schedule);
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
  }
  const ScheduleState& s = state.schedule;
  Check(s.programRows.size() <= kelvora::kProgramRowCapacity);
  for (size_t rows : {s.dayRows.size(), s.holidayRows.size(), s.hourLabels.size(), s.tempLabels.size()}) {
    Check(rows <= kelvora::kScheduleRowCapacity);
  }
  for (uint8_t kind = 0; kind <= kelvora::kTempsKind; ++kind) CheckRoundTrip(s, kind);
  CheckClockTimes(s);
  ResolveEveryDay(state);
  return 0;
}
