#include "platform/terminal.h"

#include <unistd.h>

namespace kelvora {
namespace {

// Changing our controlling terminal from the background would stop the
// process (SIGTTOU); a terminal that is not our controlling one has no
// foreground to respect.
bool InBackgroundOf(int fd) {
  pid_t foreground = tcgetpgrp(fd);
  return foreground >= 0 && foreground != getpgrp();
}

}  // namespace

QuietTerminal::QuietTerminal(int fd) {
  if (isatty(fd) == 0 || InBackgroundOf(fd)) return;
  if (tcgetattr(fd, &saved_) != 0) return;
  quiet_ = saved_;
  // ECHONL would still echo the Enter that ends a line.
  quiet_.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL);
  if (tcsetattr(fd, TCSANOW, &quiet_) != 0) return;
  fd_ = fd;
}

void QuietTerminal::Restore() const noexcept {
  if (fd_ < 0 || InBackgroundOf(fd_)) return;
  tcsetattr(fd_, TCSANOW, &saved_);
}

void QuietTerminal::Requiet() const noexcept {
  if (fd_ < 0 || InBackgroundOf(fd_)) return;
  tcsetattr(fd_, TCSANOW, &quiet_);
}

}  // namespace kelvora
