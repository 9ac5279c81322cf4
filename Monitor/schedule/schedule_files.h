// The five schedule tables (programs, days, holidays, hours, temperatures) and
// their text files in the data directory: loading all five, saving one, and
// the reading of one line into its fields.
//
// File layout, all five alike: Windows-1252 text, one row per line, each line
// ended by CR LF. The fields of a row stand as they are, unquoted, joined by
// one ",": Programs rows have three fields (program, time, temperature), the
// other tables two (Days: day, program; Holidays: date, program; Hours and
// Temps: name, value). Example: WEEK,06:30,21
#ifndef KELVORA_MONITOR_SCHEDULE_SCHEDULE_FILES_H_
#define KELVORA_MONITOR_SCHEDULE_SCHEDULE_FILES_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Monitor/schedule/schedule_state.h"
#include "platform/file_layer.h"

namespace kelvora {

// The kinds of schedule table, as SaveScheduleFile and the editors number them.
inline constexpr uint8_t kProgramsKind = 0;
inline constexpr uint8_t kDaysKind = 1;
inline constexpr uint8_t kHolidaysKind = 2;
inline constexpr uint8_t kHoursKind = 3;
inline constexpr uint8_t kTempsKind = 4;

// The temperatures a schedule row may ask for, in degrees Celsius.
inline constexpr double kMinSlotTemperature = 5;
inline constexpr double kMaxSlotTemperature = 30;

// The longest name or value the editors store in a schedule field, and what
// they say of a longer one.
inline constexpr size_t kMaxScheduleFieldLength = 100;
inline constexpr std::string_view kLongFieldText = "NAMES and VALUES Must NOT be longer than 100 Characters";

// A time as the files keep it: "hh:mm" from "00:00" to "23:59", or "24:00",
// the end of the day.
bool IsScheduleTime(std::string_view text);
// A temperature as the files keep it: a number of degrees Celsius from 5 to
// 30, and nothing after it.
bool IsScheduleTemperature(std::string_view text);

// "PROGRAMS.prg", "DAYS.prg", "HOLIDAYS.prg", "HOURS.prg", "TEMPS.prg" for
// kinds 0 to 4; empty for any other kind.
std::string_view ScheduleFileName(uint8_t kind);

// Splits one line (without its line end) into exactly `fieldCount` fields.
// Fields are separated by ","; the blanks at the start of a field are
// skipped; a field that starts with a double quote and has a closing one
// later in the line runs to that quote and may hold commas (text between the
// closing quote and the next "," is kept after it). A quote without a closing
// partner is an ordinary character. Missing fields are empty; whatever stands
// beyond the last field, commas included, stays in the last field, so nothing
// of a damaged line is lost and a save writes it back as it was.
std::vector<std::string> SplitScheduleLine(std::string_view line, size_t fieldCount);

// Replaces the table of `kind` with the rows of `text`, a whole file's bytes,
// read as LoadScheduleFiles reads a file: lines end at LF with a CR before it
// dropped, empty lines add no row, reading stops at the table's capacity.
// Any other kind does nothing.
void ReadScheduleText(uint8_t kind, std::string_view text, ScheduleState& schedule);

// The bytes SaveScheduleFile writes for the table of `kind`: every row as
// "field,field[,field]" followed by CR LF. Empty for an unknown kind.
std::string ScheduleFileText(const ScheduleState& schedule, uint8_t kind);

// Reads "HOLIDAYS.prg", "PROGRAMS.prg", "DAYS.prg", "HOURS.prg" and
// "TEMPS.prg", in that order and one channel at a time, each replacing its
// table. A file that is missing or fails to read is the trap handler's
// (error 2 on open, 3 on read); when the handler skips, that table is kept as
// it was rather than replaced by nothing or by part of the file.
// A row that gives a time that is not "hh:mm" (a Programs time starting
// with a digit, an Hours value) or a temperature that is not a number from
// 5 to 30 (a Programs temperature starting with a digit, a Temps value) is
// left out of its table; the files are not changed. Returns one console
// line per row left out, naming the file and the row, or "".
std::string LoadScheduleFiles(FileLayer& files, ScheduleState& schedule);

// Writes the table of `kind` (kProgramsKind .. kTempsKind) over its file,
// which is replaced whole on close. Any other kind does nothing. Failures
// are the trap handler's.
void SaveScheduleFile(FileLayer& files, const ScheduleState& schedule, uint8_t kind);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_SCHEDULE_SCHEDULE_FILES_H_
