#include "Monitor/ui/slot_edit.h"

#include <algorithm>

#include "Functions/formulas.h"
#include "Monitor/core/text_number.h"
#include "Monitor/schedule/day_plan.h"
#include "Monitor/schedule/schedule_files.h"
#include "Monitor/ui/dialog_support.h"

namespace kelvora {
namespace {

constexpr uint8_t kProgramFieldsFlag = 1;
constexpr std::string_view kNumberStarts = "+-.0123456789";

// A refusal as the schedule editors word it, shown over the main window.
MessageBoxRequest WindowBox(MessageBoxRequest box) {
  box.ownedByMainWindow = true;
  return box;
}

MessageBoxRequest WindowBox(std::string caption, std::string text) {
  return WindowBox(ErrorBox(std::move(text), std::move(caption)));
}

std::string_view WithoutLeadingBlank(std::string_view text) {
  return !text.empty() && text.front() == ' ' ? text.substr(1) : text;
}

bool IsKnownProgram(const ScheduleState& schedule, std::string_view name) {
  return name == schedule.currentProgram ||
         std::any_of(schedule.programRows.begin(), schedule.programRows.end(),
                     [&](const ProgramRow& row) { return row.program == name; });
}

// A typed time as the slot keeps it: "hh:mm" as the schedule editors take
// it ("24:mm" is "24:00"), or empty for a field left empty. A time that is
// not one would sort by its characters ("99:99" after every slot).
std::optional<std::string> SlotTime(std::string_view text) {
  if (text.empty()) return std::string();
  return TypedClockTime(text);
}

std::string NumberExample(const RunState& state) {
  return state.settings.tempUnits != 0 ? "71 or 72.25" : "19 or 21.75";
}

// The slot table as it was, put back when a later field refuses the edit.
struct SlotTable {
  std::array<DaySlot, 31> slots;
  std::array<float, 32> temps;
  uint8_t count;
};

class Edit {
 public:
  Edit(RunState& state, const ShownTemps& shown)
      : state_(state),
        schedule_(state.schedule),
        shown_(shown),
        saved_{schedule_.daySlots, schedule_.slotTemps, schedule_.slotCount},
        current_(std::min<size_t>(schedule_.currentSlot, schedule_.daySlots.size() - 1)),
        target_(current_) {}

  std::optional<MessageBoxRequest> Times(const SlotEdit& edit) {
    std::optional<std::string> from = SlotTime(edit.fromTime);
    if (!from) return WindowBox("BAD FORMAT", "'FROM Time' Must Use Format: HH:MM (24:00)");
    if (!from->empty() && *from != schedule_.daySlots[current_].start) {
      if (!AddSlot()) return Full();
      schedule_.daySlots[target_] = {*from, schedule_.daySlots[current_].end, "1"};
    }
    std::optional<std::string> to = SlotTime(edit.toTime);
    if (!to) return Refuse(WindowBox("BAD FORMAT", "'TO Time' Must Use Format: HH:MM (24:00)"));
    if (!to->empty() && *to != schedule_.daySlots[current_].end) {
      if (target_ == current_ && !AddSlot()) return Full();
      schedule_.daySlots[target_].end = *to;
      schedule_.daySlots[target_].manual = "1";
    }
    return std::nullopt;
  }

  std::optional<MessageBoxRequest> Temps(const SlotEdit& edit) {
    std::string_view from = WithoutLeadingBlank(edit.fromTemp);
    if (!from.empty() && kNumberStarts.find(from.front()) == std::string_view::npos) {
      return Refuse(WindowBox("NOT A NUMBER", "'FROM Temp' Must be a Number like: " + NumberExample(state_)));
    }
    if (!from.empty() && from != WithoutLeadingBlank(shown_.fromTemp)) {
      // The window then shows the new temperature in the TO field too, so
      // what was typed there reads as unchanged.
      return SetTemperature(from);
    }
    std::string_view to = WithoutLeadingBlank(edit.toTemp);
    if (!to.empty() && kNumberStarts.find(to.front()) == std::string_view::npos) {
      return Refuse(WindowBox("NOT A NUMBER", "'TO Temp' Must be a Number like: " + NumberExample(state_)));
    }
    if (!to.empty() && to != WithoutLeadingBlank(shown_.toTemp)) return SetTemperature(to);
    return std::nullopt;
  }

 private:
  // A manual slot (n + 1) starting as a copy of the slot in force.
  bool AddSlot() {
    if (schedule_.slotCount >= kMaxDaySlots) return false;
    target_ = ++schedule_.slotCount;
    schedule_.daySlots[target_] = schedule_.daySlots[current_];
    schedule_.daySlots[target_].manual = "1";
    schedule_.slotTemps[target_] = schedule_.slotTemps[current_];
    return true;
  }

  std::optional<MessageBoxRequest> Full() {
    return Refuse(WindowBox("TOO MANY SLOTS", "Today's Program Holds " + std::to_string(kMaxDaySlots) +
                                                  " Slots: Delete One Before Adding Another"));
  }

  MessageBoxRequest Refuse(MessageBoxRequest box) {
    schedule_.daySlots = saved_.slots;
    schedule_.slotTemps = saved_.temps;
    schedule_.slotCount = saved_.count;
    return box;
  }

  // The slot takes what the schedule editors take: 5 to 30 degrees C,
  // checked as they check it (converted, rounded to two decimals).
  std::optional<MessageBoxRequest> SetTemperature(std::string_view text) {
    auto unit = static_cast<uint8_t>(state_.settings.tempUnits != 0 ? 1 : 0);
    if (!TypedScheduleTemperature(text, unit)) return Refuse(WindowBox(BadTemperatureBox(unit)));
    schedule_.slotTemps[target_] = C2fF2c(static_cast<float>(ReadNumber(text)), unit, kCelsius);
    return std::nullopt;
  }

  RunState& state_;
  ScheduleState& schedule_;
  const ShownTemps& shown_;
  SlotTable saved_;
  size_t current_;
  size_t target_;
};

}  // namespace

SlotEditResult ApplySlotEdit(RunState& state, const SlotEdit& edit, const ShownTemps& shown,
                             std::string_view now) {
  ScheduleState& schedule = state.schedule;
  // A name longer than any the editors store is refused as they refuse it,
  // before it is looked up.
  if (edit.program.size() > kMaxScheduleFieldLength)
    return {WindowBox(ErrorBox(std::string(kLongFieldText), "NOT a VALID NAME")), {}};
  if (!IsKnownProgram(schedule, edit.program))
    return {std::nullopt, "\"" + edit.program + "\" is not a program of the schedule"};
  state.control.changeFlags |= kProgramFieldsFlag;
  if (edit.program != schedule.currentProgram) {
    // The next pass switches and rebuilds the day, dropping manual slots.
    schedule.requestedProgram = edit.program;
    return {};
  }
  Edit change(state, shown);
  if (auto refused = change.Times(edit)) return {refused, {}};
  if (auto refused = change.Temps(edit)) return {refused, {}};
  SortSlots(DayPlanOf(state), now);
  return {};
}

std::string TickedSlotsError(const ScheduleState& schedule, const std::vector<int>& ticked) {
  for (int slot : ticked) {
    if (slot > schedule.slotCount)
      return "today's program has slots 1 to " + std::to_string(schedule.slotCount) + ", not " +
             std::to_string(slot);
  }
  return {};
}

void DeleteTickedSlots(RunState& state, const std::vector<int>& ticked, std::string_view now) {
  ScheduleState& schedule = state.schedule;
  for (int slot = std::min<int>(schedule.slotCount, kMaxDaySlots); slot >= 1; --slot) {
    if (std::find(ticked.begin(), ticked.end(), slot) == ticked.end()) continue;
    for (int later = slot; later < schedule.slotCount; ++later) {
      schedule.daySlots[static_cast<size_t>(later)] = schedule.daySlots[static_cast<size_t>(later) + 1];
      schedule.slotTemps[static_cast<size_t>(later)] = schedule.slotTemps[static_cast<size_t>(later) + 1];
    }
    --schedule.slotCount;
  }
  SortSlots(DayPlanOf(state), now);
}

}  // namespace kelvora
