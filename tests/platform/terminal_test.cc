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
  // What `fd` gives within a short while: on the keyboard, what the terminal
  // shows back; on the terminal, the line the program reads.
  std::string ReadFor(int fd) {
    std::string out;
    char buffer[256];
    pollfd in{fd, POLLIN, 0};
    for (ssize_t got; ::poll(&in, 1, 100) > 0 && (got = ::read(fd, buffer, sizeof buffer)) > 0;)
      out.append(buffer, static_cast<size_t>(got));
    return out;
  }
  tcflag_t LocalModes() {
    termios modes{};
    tcgetattr(terminal, &modes);
    return modes.c_lflag;
  }

  int keyboard = -1;
  int terminal = -1;
};

TEST_F(TerminalTest, KeysTypedWhileHeldAreReadButNotShown) {
  QuietTerminal quiet(terminal);
  ASSERT_TRUE(quiet.Quiet());
  ASSERT_EQ(::write(keyboard, "r\n", 2), 2);
  EXPECT_EQ(ReadFor(keyboard), "");
  EXPECT_EQ(ReadFor(terminal), "r\n");
}

TEST_F(TerminalTest, LettingGoRestoresTheSettingsAndTheEcho) {
  tcflag_t before = LocalModes();
  ASSERT_NE(before & ECHO, 0u);
  {
    QuietTerminal quiet(terminal);
    EXPECT_EQ(LocalModes() & ECHO, 0u);
  }
  EXPECT_EQ(LocalModes(), before);
  ASSERT_EQ(::write(keyboard, "x\n", 2), 2);
  EXPECT_EQ(ReadFor(keyboard), "x\r\n");
}

TEST(QuietTerminal, LeavesWhatIsNotATerminalAlone) {
  int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  EXPECT_FALSE(QuietTerminal(null).Quiet());
  ::close(null);
}

}  // namespace
}  // namespace kelvora
