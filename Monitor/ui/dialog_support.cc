#include "Monitor/ui/dialog_support.h"

#include <cstdio>

#include "Functions/formulas.h"
#include "Functions/masks.h"
#include "Monitor/core/text_number.h"
#include "Monitor/schedule/schedule_files.h"

namespace kelvora {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int TwoDigits(std::string_view text) { return (text[0] - '0') * 10 + (text[1] - '0'); }

}  // namespace

MessageBoxRequest ErrorBox(std::string text, std::string caption) {
  MessageBoxRequest box;
  box.caption = std::move(caption);
  box.text = std::move(text);
  box.icon = BoxIcon::kStop;
  box.buttons = BoxButtons::kOk;
  return box;
}

MessageBoxRequest ChangedElsewhereBox() {
  return ErrorBox(
      "These values were changed from another page while this dialog was open.\n"
      "Nothing was applied: the dialog now shows the current values.",
      "CHANGED ELSEWHERE");
}

std::string Fingerprint(std::string_view bytes) {
  uint64_t hash = 14695981039346656037ull;
  for (unsigned char byte : bytes) {
    hash ^= byte;
    hash *= 1099511628211ull;
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

std::string ListNumber(size_t number) { return Using("  ### :", static_cast<float>(number)); }

std::optional<MessageBoxRequest> FieldRefusal(std::string_view text) {
  if (text.size() > kMaxScheduleFieldLength) return ErrorBox(std::string(kLongFieldText), "NOT a VALID NAME");
  bool bad = !text.empty() && (text.front() == ' ' || text.front() == '"');
  for (char c : text) bad = bad || c == ',' || static_cast<unsigned char>(c) < 0x20;
  if (!bad) return std::nullopt;
  return ErrorBox(
      "NAMES and VALUES Must NOT contain a Comma or a Line Break,\n"
      "nor begin with a Blank or a Quote (\")",
      "NOT a VALID NAME");
}

std::optional<std::string> TypedClockTime(std::string_view text) {
  // Digits only: a sign or a letter would make the field read as a name.
  if (text.size() != 5 || text[2] != ':') return std::nullopt;
  if (!IsDigit(text[0]) || !IsDigit(text[1]) || !IsDigit(text[3]) || !IsDigit(text[4])) return std::nullopt;
  int hours = TwoDigits(text);
  int minutes = TwoDigits(text.substr(3));
  if (hours > 24 || minutes > 59) return std::nullopt;
  if (hours == 24) return std::string("24:00");
  return std::string(text);
}

MessageBoxRequest BadTimeBox() { return ErrorBox("TIME Must be in Format: hh:mm (24:00)", "BAD FORMAT"); }

std::optional<std::string> TypedScheduleTemperature(std::string_view text, uint8_t unit) {
  double typed = ReadNumber(text);
  if (!(typed > -1000 && typed < 1000)) return std::nullopt;
  float celsius = Rnd(C2fF2c(static_cast<float>(typed), unit, kCelsius), 2);
  if (celsius < 5 || celsius > 30) return std::nullopt;
  return SevenDigitText(celsius);
}

MessageBoxRequest BadTemperatureBox(uint8_t unit) {
  return ErrorBox(unit == kFahrenheit ? "TEMP Must be a Number between: 41\xB0"
                                        "F and 86\xB0"
                                        "F"
                                      : "TEMP Must be a Number between:  5\xB0"
                                        "C and 30\xB0"
                                        "C",
                  "NOT a VALID NUMBER");
}

std::string ShownTemperature(std::string_view celsiusText, uint8_t unit) {
  auto celsius = static_cast<float>(ReadNumber(celsiusText));
  // Hundredths of a degree Celsius are 0.018 °F: a stored 18.33 shows the
  // 65 that was typed, not 64.99, with one decimal in Fahrenheit.
  return SevenDigitText(Rnd(C2fF2c(celsius, kCelsius, unit), unit == kFahrenheit ? 1 : 2));
}

std::string_view WithoutLeadingBlanks(std::string_view text) {
  size_t start = text.find_first_not_of(' ');
  return start == std::string_view::npos ? std::string_view() : text.substr(start);
}

}  // namespace kelvora
