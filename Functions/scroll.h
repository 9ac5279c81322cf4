// Pacing console output that runs past the screen: a digit key sets the pace
// (each later call waits 9 - pace seconds), "0" pauses until the next key,
// and page mode (pace 13) stops on the last row until a key is pressed.
#ifndef KELVORA_FUNCTIONS_SCROLL_H_
#define KELVORA_FUNCTIONS_SCROLL_H_

#include <cstdint>
#include <string>

#include "Functions/export.h"

namespace kelvora {

// The console SCROLL reads keys from and writes to. Rows and columns from 1.
class KELVORA_EXPORT ScrollConsole {
 public:
  virtual ~ScrollConsole() = default;
  // The key pressed, or "" when none is pending; never waits.
  virtual std::string KeyNoWait() = 0;
  // Waits for a key; "" when there is no keyboard to wait on.
  virtual std::string WaitKey() = 0;
  virtual void Clear() = 0;
  virtual int CursorRow() = 0;     // 0 when unknown
  virtual int CursorColumn() = 0;  // 0 when unknown
  virtual void Write(const std::string& text) = 0;
  virtual void Locate(int row, int column) = 0;
  // Seconds since midnight, and a pause of `seconds`.
  virtual float Seconds() = 0;
  virtual void Sleep(float seconds) = 0;
};

inline constexpr uint8_t kPageMode = 13;

// SCROLL's two variables and its one call.
class KELVORA_EXPORT ScrollPacer {
 public:
  void Scroll(ScrollConsole& console);
  uint8_t Pace() const { return pace_; }
  const std::string& LastKey() const { return lastKey_; }

 private:
  void WaitPaced(ScrollConsole& console);
  void PageStop(ScrollConsole& console);

  uint8_t pace_ = 0;
  std::string lastKey_;
};

// The process's terminal: keys from standard input when it is a terminal,
// cursor addressing on standard output when that is one. Without a terminal
// there are no keys and nothing is written.
KELVORA_EXPORT ScrollConsole& ProcessTerminal();

}  // namespace kelvora

#endif  // KELVORA_FUNCTIONS_SCROLL_H_
