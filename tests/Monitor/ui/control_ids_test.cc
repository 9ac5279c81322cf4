// The page's table of identifiers (resources/web/js/ids.js) against the
// program's (Monitor/ui/control_ids.h): the same names with the same numbers.
#include "Monitor/ui/control_ids.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <map>
#include <regex>
#include <string>

namespace kelvora::testing {
namespace {

// "settings_id.kFanLow" as the page spells it: "settingsId.fanLow".
std::string PageName(std::string_view name) {
  std::string out;
  for (size_t i = 0; i < name.size(); ++i) {
    if (name[i] == '_' || (name[i] == 'k' && name[i - 1] == '.')) {
      out += static_cast<char>(std::toupper(static_cast<unsigned char>(name[++i])));
      if (name[i - 1] == 'k')
        out.back() = static_cast<char>(std::tolower(static_cast<unsigned char>(name[i])));
    } else {
      out += name[i];
    }
  }
  return out;
}

TEST(ControlIdsTest, PageMirrorHoldsEveryNameWithItsNumberAndNoOther) {
  const char* source = std::getenv("KELVORA_SOURCE_DIR");
  std::ifstream file(std::string(source != nullptr ? source : ".") + "/resources/web/js/ids.js");
  std::map<std::string, int> page;
  std::smatch match;
  std::string group;
  for (std::string line; std::getline(file, line);) {
    if (std::regex_match(line, match, std::regex(R"(^export const (\w+) = Object\.freeze\(\{$)")))
      group = match[1];
    if (std::regex_match(line, match, std::regex(R"(^  (\w+): (\d+),$)")))
      page[group + "." + match[1].str()] = std::stoi(match[2]);
  }
  ASSERT_FALSE(page.empty()) << "resources/web/js/ids.js was not read";
  std::map<int, std::string_view> byNumber;
  for (const NamedId& named : kNamedIds) {
    SCOPED_TRACE(named.name);
    // No two controls share a number: a row naming another's constant repeats it.
    EXPECT_TRUE(byNumber.emplace(named.id, named.name).second);
    auto found = page.find(PageName(named.name));
    if (found == page.end()) {
      ADD_FAILURE() << PageName(named.name) << " is missing from ids.js";
      continue;
    }
    EXPECT_EQ(found->second, named.id);
    page.erase(found);
  }
  for (const auto& [name, id] : page) ADD_FAILURE() << name << " is not in control_ids.h";
}

}  // namespace
}  // namespace kelvora::testing
