// The terminal the status screen is drawn on. While the program holds it, the
// keys typed there are not echoed, so that answering a box (whose Enter would
// otherwise move the cursor and scroll the screen) leaves every row where the
// screen put it; the terminal's own settings come back when it is let go.
#ifndef KELVORA_PLATFORM_TERMINAL_H_
#define KELVORA_PLATFORM_TERMINAL_H_

#include <termios.h>

namespace kelvora {

class QuietTerminal {
 public:
  // Stops the echo on the terminal behind `fd` when `fd` is a terminal and
  // this process is in its foreground; otherwise changes nothing. Lines are
  // still assembled (and edited) by the terminal, only not shown.
  explicit QuietTerminal(int fd);
  ~QuietTerminal() { Restore(); }
  QuietTerminal(const QuietTerminal&) = delete;
  QuietTerminal& operator=(const QuietTerminal&) = delete;

  // Whether the echo was stopped here.
  bool Quiet() const { return fd_ >= 0; }
  // Puts the terminal's settings back as they were. Safe in a signal handler
  // and to call more than once; does nothing when another process group
  // (the shell, after a suspension) holds the terminal now.
  void Restore() const noexcept;
  // Stops the echo again, after a shell that had the terminal meanwhile
  // (the process was suspended) set it back. Safe in a signal handler.
  void Requiet() const noexcept;

 private:
  int fd_ = -1;
  termios saved_{};
  termios quiet_{};
};

}  // namespace kelvora

#endif  // KELVORA_PLATFORM_TERMINAL_H_
