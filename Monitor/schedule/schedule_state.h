// The weekly schedule as read from its files, and the day's slots built
// from it.
#ifndef KELVORA_MONITOR_SCHEDULE_SCHEDULE_STATE_H_
#define KELVORA_MONITOR_SCHEDULE_SCHEDULE_STATE_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kelvora {

struct DaySlot {
  std::string start;
  std::string end;
  std::string manual;  // "1" for a slot added or changed by hand
};

// Rows of the five schedule tables, every field a text as it stands in its
// file (Windows-1252 bytes kept).
struct ProgramRow {
  std::string program;      // program name
  std::string time;         // "hh:mm", or a program (hand-over) or hour-label name
  std::string temperature;  // degrees Celsius, or a temperature-label name
  bool operator==(const ProgramRow&) const = default;
};
struct DayRow {
  std::string day;  // a weekday as the day-name table spells it
  std::string program;
};
struct HolidayRow {
  std::string date;     // "yy/mm/dd", any part may be "**"
  std::string program;  // empty: the default holiday program
};
struct LabelRow {
  std::string name;
  std::string value;  // hour labels: "hh:mm"; temperature labels: degrees Celsius
  bool operator==(const LabelRow&) const = default;
};

inline constexpr size_t kProgramRowCapacity = 200;
inline constexpr size_t kScheduleRowCapacity = 100;  // days, holidays, hours, temps
inline constexpr uint8_t kMaxDaySlots = 29;

struct ScheduleState {
  // The tables, row r at index r - 1; their sizes are the row counts.
  std::vector<ProgramRow> programRows;
  std::vector<DayRow> dayRows;
  std::vector<HolidayRow> holidayRows;
  std::vector<LabelRow> hourLabels;
  std::vector<LabelRow> tempLabels;
  // The main window's program box (combo 1026): filled when the window
  // opens; a program the Programs dialog creates joins it.
  std::vector<std::string> programBox;

  // The day's slots: 0 is the time before slot 1, 1..slotCount the real
  // slots, slotCount + 1 the closing entry "24:00".."99:99".
  std::array<DaySlot, 31> daySlots;   // records 0..30
  std::array<float, 32> slotTemps{};  // 0..31
  uint8_t slotCount = 0;
  uint8_t currentSlot = 0;
  uint8_t nextSlot = 0;
  float nextSetpoint = 0;
  std::string currentProgram;
  std::string requestedProgram;
  float programTemp = 999;  // 999: no schedule temperature taken over yet
};

}  // namespace kelvora

#endif  // KELVORA_MONITOR_SCHEDULE_SCHEDULE_STATE_H_
