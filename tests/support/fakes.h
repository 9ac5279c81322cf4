// Test doubles shared by the test binaries: a card that records every output
// byte, a user who answers boxes from a script, a trap handler that records.
#ifndef KELVORA_TESTS_SUPPORT_FAKES_H_
#define KELVORA_TESTS_SUPPORT_FAKES_H_

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "platform/ports.h"
#include "platform/trap.h"
#include "platform/user_interface.h"

namespace kelvora::testing {

// Remembers every byte written to every port.
class RecordingPorts : public PortAccess {
 public:
  uint8_t ReadPortByte(uint16_t) override { return 0; }
  void WritePortByte(uint16_t port, uint8_t value) override { writes.emplace_back(port, value); }
  uint32_t ReadPortDword(uint16_t) override { return 0; }
  void WritePortDword(uint16_t, uint32_t) override {}

  // The last byte written to `port`, or -1 when none was.
  int LastByte(uint16_t port) const {
    for (auto it = writes.rbegin(); it != writes.rend(); ++it) {
      if (it->first == port) return it->second;
    }
    return -1;
  }

  std::vector<std::pair<uint16_t, uint8_t>> writes;
};

// Answers boxes from a queue (the default button when it runs dry) and
// records what was shown, including what the card's latch held at the time.
class ScriptedUi : public UserInterface {
 public:
  struct Shown {
    MessageBoxRequest request;
    BoxResult answer;
    int latchWhenShown;  // last byte on the watched port, -1 when none
  };

  BoxResult ShowMessageBox(const MessageBoxRequest& request) override {
    BoxResult answer = DefaultAnswer(request);
    if (!answers.empty()) {
      answer = answers.front();
      answers.pop_front();
    }
    int latch = ports != nullptr ? ports->LastByte(watchedPort) : -1;
    boxes.push_back({request, answer, latch});
    return answer;
  }
  void Beep() override { ++beeps; }
  void ConsoleWrite(std::string_view text) override { console += text; }

  std::deque<BoxResult> answers;
  std::vector<Shown> boxes;
  int beeps = 0;
  std::string console;
  RecordingPorts* ports = nullptr;
  uint16_t watchedPort = 0;
};

// Records traps and answers them from a script; kSkip when the script is dry.
class RecordingTrapHandler : public TrapHandler {
 public:
  Resume Trap(const TrappedError& error) override {
    errors.push_back(error);
    if (answers.empty()) return Resume::kSkip;
    Resume answer = answers.front();
    answers.pop_front();
    return answer;
  }

  std::vector<TrappedError> errors;
  std::deque<Resume> answers;
};

// A fresh directory under the system's temporary directory, removed at the end.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kelvora-test-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

}  // namespace kelvora::testing

#endif  // KELVORA_TESTS_SUPPORT_FAKES_H_
