// What the benchmarks share: a user interface that answers every box by its
// default and shows nothing, and a fresh copy of the example home.
#ifndef KELVORA_BENCH_BENCH_SUPPORT_H_
#define KELVORA_BENCH_BENCH_SUPPORT_H_

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/user_interface.h"

namespace kelvora {

class QuietUi final : public UserInterface {
 public:
  BoxResult ShowMessageBox(const MessageBoxRequest& request) override { return DefaultAnswer(request); }
  void Beep() override {}
  void ConsoleWrite(std::string_view) override {}
};

// A copy of the example home in a fresh temporary directory.
inline std::string FreshHome() {
  std::string pattern = (std::filesystem::temp_directory_path() / "kelvora-bench-XXXXXX").string();
  std::string home = ::mkdtemp(pattern.data());
  std::filesystem::copy(KELVORA_SOURCE_DIR "/examples/home", home, std::filesystem::copy_options::recursive);
  return home;
}

}  // namespace kelvora

#endif  // KELVORA_BENCH_BENCH_SUPPORT_H_
