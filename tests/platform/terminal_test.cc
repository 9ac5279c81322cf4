#include "platform/terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

namespace kelvora {
namespace {

// A pseudo-terminal: the person types on `keyboard` and sees what comes
// back there; the program holds `terminal`.
class TerminalTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(openpty(&keyboard, &terminal, nullptr, nullptr, nullptr), 0); }
  void TearDown() override {
    ::close(keyboard);
    ::close(terminal);
  }
  void Type(const std::string& keys) {
    ASSERT_EQ(::write(keyboard, keys.data(), keys.size()), ssize_t(keys.size()));
  }
  // What the terminal shows back within a short while.
  std::string Shown() { return ReadFor(keyboard); }
  // The line the program reads.
  std::string Received() { return ReadFor(terminal); }
  tcflag_t LocalModes() {
    termios modes{};
    tcgetattr(terminal, &modes);
    return modes.c_lflag;
  }

  int keyboard = -1;
  int terminal = -1;

 private:
  static std::string ReadFor(int fd) {
    std::string out;
    char buffer[256];
    pollfd in{fd, POLLIN, 0};
    while (::poll(&in, 1, 100) > 0) {
      ssize_t got = ::read(fd, buffer, sizeof buffer);
      if (got <= 0) break;
      out.append(buffer, static_cast<size_t>(got));
    }
    return out;
  }
};

TEST_F(TerminalTest, KeysTypedWhileHeldAreReadButNotShown) {
  QuietTerminal quiet(terminal);
  ASSERT_TRUE(quiet.Quiet());
  Type("r\n");
  EXPECT_EQ(Shown(), "");
  EXPECT_EQ(Received(), "r\n");
}

TEST_F(TerminalTest, LettingGoRestoresTheSettingsAndTheEcho) {
  tcflag_t before = LocalModes();
  ASSERT_NE(before & ECHO, 0u);
  {
    QuietTerminal quiet(terminal);
    EXPECT_EQ(LocalModes() & ECHO, 0u);
  }
  EXPECT_EQ(LocalModes(), before);
  Type("x\n");
  EXPECT_EQ(Shown(), "x\r\n");
}

TEST(QuietTerminal, LeavesWhatIsNotATerminalAlone) {
  int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  QuietTerminal quiet(null);
  EXPECT_FALSE(quiet.Quiet());
  ::close(null);
}

}  // namespace
}  // namespace kelvora
