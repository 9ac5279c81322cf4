#include "Functions/scroll.h"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <ctime>

#include "Functions/formulas.h"

namespace kelvora {
namespace {

constexpr int kScreenRows = 25;
constexpr int kScreenColumns = 80;
constexpr int kPrintZone = 14;
constexpr int kSlowestPaceSeconds = 9;
constexpr float kPollSeconds = 0.05f;
constexpr char kPrompt[] = "<Appuyez sur n'importe quelle touche pour continuer>";

// The number a key stands for, as a digit is read: anything else is 0.
uint8_t KeyValue(const std::string& key) {
  int value = 0;
  for (char c : key) {
    if (c < '0' || c > '9' || value > 25) break;
    value = value * 10 + (c - '0');
  }
  return static_cast<uint8_t>(value);
}

// Standard input in raw mode for the length of one read: no echo, no line
// buffering; restored before returning.
class RawInput {
 public:
  RawInput() : ok_(tcgetattr(STDIN_FILENO, &saved_) == 0) {
    if (!ok_) return;
    termios raw = saved_;
    raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    tcsetattr(STDIN_FILENO, TCSANOW, &raw);
  }
  ~RawInput() {
    if (ok_) tcsetattr(STDIN_FILENO, TCSANOW, &saved_);
  }
  RawInput(const RawInput&) = delete;
  RawInput& operator=(const RawInput&) = delete;

  // Reads what one key sends, waiting at most `timeoutMs` (-1: forever).
  std::string Read(int timeoutMs) {
    std::string key;
    if (!ok_) return key;
    pollfd in{STDIN_FILENO, POLLIN, 0};
    while (poll(&in, 1, key.empty() ? timeoutMs : 0) > 0) {
      char c;
      if (read(STDIN_FILENO, &c, 1) != 1) break;
      key += c;
    }
    return key;
  }

 private:
  termios saved_{};
  bool ok_;
};

class Terminal final : public ScrollConsole {
 public:
  std::string KeyNoWait() override { return HasKeyboard() ? RawInput().Read(0) : std::string(); }
  std::string WaitKey() override { return HasKeyboard() ? RawInput().Read(-1) : std::string(); }
  void Clear() override { Write("\x1b[2J\x1b[H"); }
  int CursorRow() override { return CursorPosition().first; }
  int CursorColumn() override { return CursorPosition().second; }
  void Write(const std::string& text) override {
    if (!HasScreen()) return;
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
  }
  void Locate(int row, int column) override {
    Write("\x1b[" + std::to_string(row) + ";" + std::to_string(column) + "H");
  }
  float Seconds() override {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::tm local{};
    localtime_r(&now.tv_sec, &local);
    return TimeSec(local.tm_hour, local.tm_min, local.tm_sec) + static_cast<float>(now.tv_nsec) / 1e9f;
  }
  void Sleep(float seconds) override {
    if (seconds > 0) usleep(static_cast<useconds_t>(seconds * 1e6f));
  }

 private:
  static bool HasKeyboard() { return isatty(STDIN_FILENO) != 0; }
  static bool HasScreen() { return isatty(STDOUT_FILENO) != 0; }

  // Asks the terminal where its cursor is (a device status report).
  std::pair<int, int> CursorPosition() {
    if (!HasKeyboard() || !HasScreen()) return {0, 0};
    RawInput raw;
    Write("\x1b[6n");
    std::string answer = raw.Read(200);
    int row = 0, column = 0;
    if (std::sscanf(answer.c_str(), "\x1b[%d;%dR", &row, &column) != 2) return {0, 0};
    return {row, column};
  }
};

}  // namespace

void ScrollPacer::Scroll(ScrollConsole& console) {
  lastKey_ = console.KeyNoWait();
  if (!lastKey_.empty()) {
    if (lastKey_ == "0") lastKey_ = console.WaitKey();
    pace_ = KeyValue(lastKey_);
  } else if (pace_ != kPageMode) {
    WaitPaced(console);
  } else {
    PageStop(console);
  }
}

void ScrollPacer::WaitPaced(ScrollConsole& console) {
  const float entry = console.Seconds();
  if (pace_ < 1 || pace_ > 9) {
    pace_ = kPageMode;
    console.Clear();
  }
  const int wait = kSlowestPaceSeconds - pace_;
  for (;;) {
    float elapsed = console.Seconds() - entry;
    if (elapsed < 0) elapsed += 86400;  // past midnight
    if (std::nearbyint(elapsed) >= wait) return;
    console.Sleep(kPollSeconds);
  }
}

void ScrollPacer::PageStop(ScrollConsole& console) {
  if (console.CursorRow() != kScreenRows) return;
  const int column = console.CursorColumn();
  const int padding = column < 1 ? kPrintZone : kPrintZone - (column - 1) % kPrintZone;
  console.Write(std::string(static_cast<size_t>(padding), ' ') + kPrompt);
  lastKey_ = console.WaitKey();
  console.Locate(kScreenRows, 1);
  console.Write(std::string(kScreenColumns, ' '));
  console.Locate(kScreenRows, 1);
  pace_ = KeyValue(lastKey_);
  if (pace_ == kPageMode) console.Clear();
}

ScrollConsole& ProcessTerminal() {
  // Holds no state of its own: every call asks the terminal.
  static Terminal terminal;
  return terminal;
}

}  // namespace kelvora
