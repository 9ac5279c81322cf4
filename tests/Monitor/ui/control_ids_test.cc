// The page's table of identifiers (resources/web/js/ids.js) against the
// program's (Monitor/ui/control_ids.h): the same names with the same numbers,
// nothing missing on either side.
#include "Monitor/ui/control_ids.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>

namespace kelvora::testing {
namespace {

// "settings_id.kFanLow" as the page spells it: "settingsId.fanLow".
std::string PageName(std::string_view name) {
  std::string out;
  bool upper = false;
  for (size_t i = 0; i < name.size(); ++i) {
    char c = name[i];
    if (c == '_') {
      upper = true;
    } else if (c == '.' && name[i + 1] == 'k') {
      out += '.';
      out += static_cast<char>(std::tolower(static_cast<unsigned char>(name[i + 2])));
      i += 2;
    } else {
      out += upper ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : c;
      upper = false;
    }
  }
  return out;
}

// "group.name" -> number for every entry of the page's frozen objects.
std::map<std::string, int> PageIds() {
  const char* source = std::getenv("KELVORA_SOURCE_DIR");
  std::ifstream file(std::string(source != nullptr ? source : ".") + "/resources/web/js/ids.js");
  std::stringstream text;
  text << file.rdbuf();
  std::map<std::string, int> ids;
  std::string group;
  std::regex opening(R"(^export const (\w+) = Object\.freeze\(\{$)");
  std::regex entry(R"(^  (\w+): (\d+),$)");
  std::smatch match;
  for (std::string line; std::getline(text, line);) {
    if (std::regex_match(line, match, opening)) group = match[1];
    if (std::regex_match(line, match, entry)) ids[group + "." + match[1].str()] = std::stoi(match[2]);
  }
  return ids;
}

TEST(ControlIdsTest, PageMirrorHoldsEveryNameWithItsNumberAndNoOther) {
  std::map<std::string, int> page = PageIds();
  ASSERT_FALSE(page.empty()) << "resources/web/js/ids.js was not found or not read";
  std::map<std::string, int> program;
  std::map<int, std::string_view> byNumber;
  for (const NamedId& named : kNamedIds) {
    program[PageName(named.name)] = named.id;
    // No two controls share a number, so a row that pairs a name with
    // another's constant shows as a repeat.
    EXPECT_TRUE(byNumber.emplace(named.id, named.name).second) << named.name << " repeats " << named.id;
  }
  for (const auto& [name, id] : program) {
    SCOPED_TRACE(name);
    ASSERT_EQ(page.count(name), 1u) << "missing from ids.js";
    EXPECT_EQ(page[name], id);
  }
  for (const auto& [name, id] : page)
    EXPECT_EQ(program.count(name), 1u) << name << " is not in control_ids.h";
}

}  // namespace
}  // namespace kelvora::testing
