// The live values of the main window as texts: every control's text by its
// identifier, the slot list and the cycle strip, refreshed after each pass.
// The snapshot is what the window shows; other threads read a published copy.
#ifndef KELVORA_MONITOR_UI_DISPLAY_H_
#define KELVORA_MONITOR_UI_DISPLAY_H_

#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "Monitor/core/run_state.h"
#include "Monitor/ui/control_ids.h"
#include "platform/clock.h"

namespace kelvora {

struct SlotListRow {
  std::string slot;         // USING("###:", slot)
  std::string times;        // "hh:mm - hh:mm"
  std::string temperature;  // converted, two places, a plain number
};

struct DisplaySnapshot {
  std::map<int, std::string> texts;  // control_id -> text
  std::vector<SlotListRow> slotRows;
  int selectedSlot = 0;
  std::vector<std::string> programNames;  // the program box's list
  std::vector<std::string> stripLines;    // code page 437 bytes, top line first
};

// Draws the current cycle into the strip (one character per minute, two
// minutes per line), moving to the next column when a newer row exists.
void UpdateCycleStrip(RunState& state);

// Writes the window's texts into `snapshot`; the program fields and the
// slot list only when changeFlags bit 0 is set, the strip when bit 1 is
// (each bit is cleared). The texts that every pass rewrites are left as they
// are when `everyText` is false, for a pass that nobody watches.
void RefreshDisplay(RunState& state, const LocalTime& now, DisplaySnapshot& snapshot, bool everyText = true);

// The snapshot as a JSON object: "controls" (identifier -> text), "slots",
// "selectedSlot", "programs" (the program box's names) and "strip", texts
// converted to UTF-8 (code page 437 for the strip, Windows-1252 for the rest).
nlohmann::json SnapshotToJson(const DisplaySnapshot& snapshot);
std::string SnapshotJson(const DisplaySnapshot& snapshot);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_UI_DISPLAY_H_
