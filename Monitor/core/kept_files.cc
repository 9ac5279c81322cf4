#include "Monitor/core/kept_files.h"

namespace kelvora {
namespace {

// Far more copies than any data directory will ever gather; the bound only
// keeps the search finite.
constexpr int kMaxNumberedNames = 100000;

}  // namespace

std::string FreeFileName(const FileLayer& files, std::string_view base) {
  std::string name(base);
  for (int number = 2; files.Exists(name); ++number) {
    if (number > kMaxNumberedNames) return {};
    name = std::string(base) + "-" + std::to_string(number);
  }
  return name;
}

bool KeepDamagedCopy(FileLayer& files, Console& console, std::string_view name, std::string_view problem,
                     std::string_view outcome) {
  std::string copy = FreeFileName(files, std::string(name) + ".damaged");
  if (!copy.empty()) files.Copy(name, copy);
  bool kept = !copy.empty() && files.Exists(copy);
  std::string where = kept ? "a copy is kept as " + copy : "no copy of it could be made";
  console.ConsoleWrite(std::string(name) + " is damaged (" + std::string(problem) + "); " + where + "; " +
                       std::string(outcome) + ".\n");
  return kept;
}

}  // namespace kelvora
