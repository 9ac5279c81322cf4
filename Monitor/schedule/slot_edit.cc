#include "Monitor/schedule/slot_edit.h"

#include <algorithm>

#include "Functions/formulas.h"
#include "Monitor/core/text_number.h"
#include "Monitor/schedule/day_plan.h"

namespace kelvora {
namespace {

constexpr uint8_t kProgramFieldsFlag = 1;
constexpr std::string_view kNumberStarts = "+-.0123456789";

MessageBoxRequest ErrorBox(std::string caption, std::string text) {
  MessageBoxRequest box;
  box.ownedByMainWindow = true;
  box.caption = std::move(caption);
  box.text = std::move(text);
  box.icon = BoxIcon::kStop;
  box.buttons = BoxButtons::kOk;
  return box;
}

std::string_view WithoutLeadingBlank(std::string_view text) {
  return !text.empty() && text.front() == ' ' ? text.substr(1) : text;
}

bool TimeFormatOk(std::string_view text) { return text.empty() || text.size() == kSlotTimeLength; }

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
    if (!TimeFormatOk(edit.fromTime)) {
      return ErrorBox("BAD FORMAT", "'FROM Time' Must Use Format: HH:MM (24:00)");
    }
    if (!edit.fromTime.empty() && edit.fromTime != schedule_.daySlots[current_].start) {
      if (!AddSlot()) return Full();
      schedule_.daySlots[target_] = {edit.fromTime, schedule_.daySlots[current_].end, "1"};
    }
    if (!TimeFormatOk(edit.toTime)) {
      return Refuse(ErrorBox("BAD FORMAT", "'TO Time' Must Use Format: HH:MM (24:00)"));
    }
    if (!edit.toTime.empty() && edit.toTime != schedule_.daySlots[current_].end) {
      if (target_ == current_ && !AddSlot()) return Full();
      schedule_.daySlots[target_].end = edit.toTime;
      schedule_.daySlots[target_].manual = "1";
    }
    return std::nullopt;
  }

  std::optional<MessageBoxRequest> Temps(const SlotEdit& edit) {
    std::string_view from = WithoutLeadingBlank(edit.fromTemp);
    if (!from.empty() && kNumberStarts.find(from.front()) == std::string_view::npos) {
      return Refuse(ErrorBox("NOT A NUMBER", "'FROM Temp' Must be a Number like: " + NumberExample(state_)));
    }
    if (!from.empty() && from != WithoutLeadingBlank(shown_.fromTemp)) {
      SetTemperature(from);
      // The window then shows the new temperature in the TO field too, so
      // what was typed there reads as unchanged.
      return std::nullopt;
    }
    std::string_view to = WithoutLeadingBlank(edit.toTemp);
    if (!to.empty() && kNumberStarts.find(to.front()) == std::string_view::npos) {
      return Refuse(ErrorBox("NOT A NUMBER", "'TO Temp' Must be a Number like: " + NumberExample(state_)));
    }
    if (!to.empty() && to != WithoutLeadingBlank(shown_.toTemp)) SetTemperature(to);
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
    return Refuse(ErrorBox("TOO MANY SLOTS", "Today's Program Holds " + std::to_string(kMaxDaySlots) +
                                                 " Slots: Delete One Before Adding Another"));
  }

  MessageBoxRequest Refuse(MessageBoxRequest box) {
    schedule_.daySlots = saved_.slots;
    schedule_.slotTemps = saved_.temps;
    schedule_.slotCount = saved_.count;
    return box;
  }

  void SetTemperature(std::string_view text) {
    auto unit = static_cast<uint8_t>(state_.settings.tempUnits != 0 ? 1 : 0);
    schedule_.slotTemps[target_] = C2fF2c(static_cast<float>(ReadNumber(text)), unit, kCelsius);
  }

  RunState& state_;
  ScheduleState& schedule_;
  const ShownTemps& shown_;
  SlotTable saved_;
  size_t current_;
  size_t target_;
};

}  // namespace

std::optional<MessageBoxRequest> ApplySlotEdit(RunState& state, const SlotEdit& edit, const ShownTemps& shown,
                                               std::string_view now) {
  ScheduleState& schedule = state.schedule;
  state.control.changeFlags |= kProgramFieldsFlag;
  if (edit.program != schedule.currentProgram) {
    // The next pass switches and rebuilds the day, dropping manual slots.
    schedule.requestedProgram = edit.program;
    return std::nullopt;
  }
  Edit change(state, shown);
  if (auto refused = change.Times(edit)) return refused;
  if (auto refused = change.Temps(edit)) return refused;
  SortSlots(state, now);
  return std::nullopt;
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
  SortSlots(state, now);
}

}  // namespace kelvora
