// Today's plan: which program runs today, its steps turned into the day's
// time slots with their temperatures, and which slot is in force and which
// comes next at a given clock time.
//
// Every function here takes `now`, the clock text; only its first five
// characters ("hh:mm") count. Times compare as texts, which is time order
// for "hh:mm" ("24:00" after every time of the day, "99:99" after all); a
// time that is not "hh:mm" simply sorts by its characters. No input, however
// damaged, throws or indexes outside the slot table.
#ifndef KELVORA_MONITOR_SCHEDULE_DAY_PLAN_H_
#define KELVORA_MONITOR_SCHEDULE_DAY_PLAN_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "Monitor/core/common_state.h"
#include "Monitor/schedule/schedule_state.h"

namespace kelvora {

// What planning the day works on: the schedule, and what it reads and tells
// of the rest of the program.
struct DayPlan {
  ScheduleState& schedule;
  const ConstantTexts& texts;    // the day names and the default programs' names
  bool french;                   // which language's names the day rows use
  const std::string& todayDate;  // "yy/mm/dd", for the holiday rows
  float weatherOffset;           // carried into the next set-point
  uint8_t& changeFlags;          // bit 0 set when the day's slots change
};

// Sets `currentProgram` for `weekday` (1 = Sunday .. 7) and expands it: the
// first day row whose day name is that weekday's in the user's language
// (no row matches a weekday outside 1..7), then the first holiday row whose
// date, with each "**" part taken from `todayDate`, equals `todayDate` (an
// empty program there means the holiday program), and the default program
// when `currentProgram` is still empty. Returns what ExpandProgram returns.
std::string SelectDayProgram(const DayPlan& plan, uint8_t weekday, std::string_view now);

// Builds slots 1..n of the day from the rows of `currentProgram` in file
// order, following hand-overs to other programs; a time or temperature name
// found nowhere leaves that slot's previous value, an empty one names
// nothing. At most kMaxDaySlots slots: later rows are not expanded. Then
// sorts, closes the table and carries the temperature the day ends on into
// slot 0 (slot 1's when the first step is at midnight). `programTemp`
// becomes the temperature of the nearest earlier slot, going round from the
// day's end, that differs from the slot in force, or a value just below
// that slot's when none differs: the next control pass takes the slot in
// force over. `currentProgram` is copied into `requestedProgram` and keeps
// its name.
// Returns "" normally. A hand-over back to a program already visited would
// walk for ever: the walk ends there, keeping the slots gathered, and the
// result is one console line (ended by "\n") naming the chain.
std::string ExpandProgram(const DayPlan& plan, std::string_view now);

// Orders slots 1..n by start, then end, manual slots first among equals;
// writes the closing entry n + 1 ("24:00" to "99:99" at slot n's
// temperature) and slot 0's end (slot 1's start); chooses the slots
// (FindCurrentSlot) and sets `changeFlags` bit 0. A `slotCount` above
// kMaxDaySlots is brought down to it first.
void SortSlots(const DayPlan& plan, std::string_view now);

// Sets `currentSlot`, `nextSlot` and `nextSetpoint` (the next slot's
// temperature plus `weatherOffset`) for `now` on a sorted and closed table.
// In force: among the slots covering now, a manual one wins (the first of
// several with one start), else the last; before the first slot's start,
// slot 0; in a gap between slots, the first slot that starts later, or
// n + 1. Sets `changeFlags` bit 0 when the slot in force changes.
void FindCurrentSlot(const DayPlan& plan, std::string_view now);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_SCHEDULE_DAY_PLAN_H_
