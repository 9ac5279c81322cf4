// Today's plan edited from the main window's "Program" group: another
// program for today, the slot in force moved or re-tempered ("Modify"), or
// ticked slots removed ("Delete"). Edits become manual slots of the day's
// table and last until it is rebuilt; nothing is written to a file.
#ifndef KELVORA_MONITOR_UI_SLOT_EDIT_H_
#define KELVORA_MONITOR_UI_SLOT_EDIT_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Monitor/core/run_state.h"
#include "platform/user_interface.h"

namespace kelvora {

// What the person left in the program box and the four fields.
struct SlotEdit {
  std::string program;
  std::string fromTime;  // at most 5 characters
  std::string toTime;
  std::string fromTemp;  // at most 7 characters, in the user's unit
  std::string toTemp;
};

inline constexpr size_t kSlotTimeLength = 5;
inline constexpr size_t kSlotTempLength = 7;

// What the window shows in the two temperature fields before the edit.
struct ShownTemps {
  std::string fromTemp;
  std::string toTemp;
};

// What became of a "Modify"; nothing changed when either is set.
struct SlotEditResult {
  // The box that refuses a field: a time that is not "hh:mm", a
  // temperature that is no number or lies outside what the schedule
  // editors take, a program name longer than they take.
  std::optional<MessageBoxRequest> refusal;
  // A program that is neither today's nor one of the schedule: no window
  // offers it, so there is no box, only this text for the caller.
  std::string error;
};

// "Modify". `now` is the clock text.
SlotEditResult ApplySlotEdit(RunState& state, const SlotEdit& edit, const ShownTemps& shown,
                             std::string_view now);

// A "Delete" naming slots that today's table does not have: the text that
// says so, or "" when every ticked number is a slot of the table.
std::string TickedSlotsError(const ScheduleState& schedule, const std::vector<int>& ticked);

// "Delete": removes slots `ticked` (numbers from 1 to slotCount; others are
// passed over, slot 0 is never removed), then re-sorts.
void DeleteTickedSlots(RunState& state, const std::vector<int>& ticked, std::string_view now);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_UI_SLOT_EDIT_H_
