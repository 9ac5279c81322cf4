// What the schedule and settings dialogs share: the error box of a refused
// entry, the fingerprint that tells a dialog whether its table changed while
// it was open, the numbered list rows, and the checks that keep a field
// writable into the comma-separated schedule files.
#ifndef KELVORA_MONITOR_UI_DIALOG_SUPPORT_H_
#define KELVORA_MONITOR_UI_DIALOG_SUPPORT_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/user_interface.h"

namespace kelvora {

// One line of a dialog's list view: the running number ("  ### :"), the
// cells after it, and the index of its row in the working copy (from 0).
struct DialogListRow {
  std::string number;
  std::vector<std::string> cells;
  size_t index = 0;
};

// A box with the error icon and an OK button.
MessageBoxRequest ErrorBox(std::string text, std::string caption);

// The box of an Apply refused because another page changed the table first.
MessageBoxRequest ChangedElsewhereBox();

// A short text that changes whenever `bytes` change (64-bit FNV-1a, hex).
std::string Fingerprint(std::string_view bytes);

// The list's running number of line `number` (from 1): USING "  ### :".
std::string ListNumber(size_t number);

// The refusal of a text that cannot stand in a field of a schedule file:
// longer than the editors store, a comma would shift the fields, a double quote at the start or a line
// break would change how the line reads back, and a blank at the start
// would be dropped on reading.
std::optional<MessageBoxRequest> FieldRefusal(std::string_view text);

// A typed time of day "hh:mm" with hours 0..24 and minutes 0..59, as its
// stored form ("24:mm" is "24:00"); nullopt for anything else.
std::optional<std::string> TypedClockTime(std::string_view text);
MessageBoxRequest BadTimeBox();

// A temperature typed in `unit` (0 °C, 1 °F), as the stored text in °C,
// rounded to two decimals; nullopt outside 5 to 30 °C or for a text that is
// no number (it reads as 0).
std::optional<std::string> TypedScheduleTemperature(std::string_view text, uint8_t unit);
MessageBoxRequest BadTemperatureBox(uint8_t unit);

// A stored °C text as the user's unit shows it: converted, rounded to two
// decimals, in its shortest decimal form.
std::string ShownTemperature(std::string_view celsiusText, uint8_t unit);

// `text` without the blanks at its start.
std::string_view WithoutLeadingBlanks(std::string_view text);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_UI_DIALOG_SUPPORT_H_
