// Feeds arbitrary bytes to what the server reads from a request before any
// route runs: the JSON bodies of "Modify", "Delete" and a box's answer, a
// box's number from the path, the Host and Origin headers, the --listen
// address, and a slot edit taken on a day's table. Checks what must hold
// for any input: a body is either taken, with fields within their limits,
// or refused with a message; nothing leaves the slot table outside itself.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "Monitor/schedule/day_plan.h"
#include "Monitor/ui/slot_edit.h"
#include "server/request_checks.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

template <typename T>
void CheckParsed(const kelvora::Parsed<T>& parsed) {
  Check(parsed.value.has_value() != !parsed.error.empty());
}

void EditADay(const kelvora::SlotEdit& edit) {
  kelvora::RunState state;
  state.schedule.programRows = {{"WEEK", "06:30", "21"}, {"WEEK", "22:00", "17"}};
  state.schedule.currentProgram = "WEEK";
  kelvora::ExpandProgram(DayPlanOf(state), "12:00:00");
  kelvora::ApplySlotEdit(state, edit, {"21.00", "21.00"}, "12:00:00");
  Check(state.schedule.slotCount <= kelvora::kMaxDaySlots);
  Check(state.schedule.currentSlot <= state.schedule.slotCount + 1);
  kelvora::DeleteTickedSlots(state, {1, 2, 3}, "12:00:00");
  Check(state.schedule.slotCount <= kelvora::kMaxDaySlots);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  kelvora::Parsed<kelvora::SlotEdit> edit = kelvora::ParseSlotEditBody(text);
  CheckParsed(edit);
  if (edit.value) {
    Check(edit.value->fromTime.size() <= kelvora::kSlotTimeLength);
    Check(edit.value->toTemp.size() <= kelvora::kSlotTempLength);
    EditADay(*edit.value);
  }
  kelvora::Parsed<std::vector<int>> ticked = kelvora::ParseTickedSlotsBody(text);
  CheckParsed(ticked);
  if (ticked.value) {
    for (int slot : *ticked.value) Check(slot >= 1 && slot <= kelvora::kMaxDaySlots);
  }
  CheckParsed(kelvora::ParseBoxAnswerBody(text));
  if (std::optional<int> id = kelvora::ParseBoxId(text)) Check(*id >= 1);
  kelvora::ListenAddress listen;
  std::string error;
  if (kelvora::ParseListenAddress(text, &listen, &error)) Check(listen.port >= 0 && listen.port <= 65535);
  kelvora::HostAllowed(text, {"127.0.0.1", 8470}, 8470);
  kelvora::CrossOrigin(text, text, "127.0.0.1:8470", false);
  return 0;
}
