// Feeds arbitrary bytes to the settings-file reader and writer and checks
// what must hold for any file: reads fit their width, a written plain value
// reads back, and a write leaves the other sections as they were.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/private_profile.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

constexpr std::string_view kSections[] = {"User", "user", "System", "Config", "", "S"};
constexpr std::string_view kKeys[] = {"Language", "SUN_Floor", "HP", "k", ""};
constexpr size_t kWidths[] = {0, 1, 4, 5, 19, 1000};

void CheckReads(std::string_view file) {
  for (std::string_view section : kSections) {
    for (std::string_view key : kKeys) {
      for (size_t chars : kWidths) {
        std::string value = kelvora::GetProfileString(file, section, key, "default  ", chars);
        Check(value.size() <= chars);
      }
    }
  }
}

// A value that a read gives back as it was written: no blank or tab at its
// ends, no line break, not enclosed in matching quotes.
std::string PlainValue(std::string_view file) {
  std::string value(file.substr(0, 12));
  for (char& c : value) {
    if (c == '\r' || c == '\n' || c == ' ' || c == '\t' || c == '"' || c == '\'') c = 'x';
  }
  return value;
}

// Everything the write took away from the file lies inside one line: every
// other line, with its line end, is still there byte for byte.
void CheckOtherLinesKept(std::string_view before, std::string_view after) {
  size_t common = before.size() < after.size() ? before.size() : after.size();
  size_t prefix = 0;
  while (prefix < common && before[prefix] == after[prefix]) ++prefix;
  size_t suffix = 0;
  while (suffix < common - prefix && before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix]) {
    ++suffix;
  }
  std::string_view removed = before.substr(prefix, before.size() - suffix - prefix);
  Check(removed.find_first_of("\r\n") == std::string_view::npos);
}

void CheckWrite(std::string_view file, std::string_view section, std::string_view key) {
  std::string value = PlainValue(file);
  std::string written = kelvora::SetProfileString(file, section, key, value);
  Check(kelvora::GetProfileString(written, section, key, "", 1000) == value);
  CheckOtherLinesKept(file, written);
  // Keys of another section read as before.
  for (std::string_view other : {"Other", "Demo"}) {
    for (std::string_view otherKey : kKeys) {
      Check(kelvora::GetProfileString(written, other, otherKey, "-", 1000) ==
            kelvora::GetProfileString(file, other, otherKey, "-", 1000));
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view file(reinterpret_cast<const char*>(data), size);
  CheckReads(file);
  CheckWrite(file, "User", "SUN_Floor");
  CheckWrite(file, "S", "k");
  CheckWrite(file, "Config", "HP");
  return 0;
}
