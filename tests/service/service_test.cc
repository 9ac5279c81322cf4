// The program as systemd runs it: its unit passes systemd-analyze, and a run
// with NOTIFY_SOCKET tells the manager it is ready, feeds the watchdog after
// its passes, and stops through its stop path on SIGTERM.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "platform/trap.h"
#include "tests/server/raw_client.h"
#include "tests/support/fakes.h"

namespace kelvora::testing {
namespace {

// What a shell command printed, and its wait status.
struct Run {
  int status = -1;
  std::string output;
};

Run RunCommand(const std::string& command) {
  Run run;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) run.output += buffer;
  run.status = ::pclose(pipe);
  return run;
}

TEST(Service, TheUnitPassesSystemdAnalyze) {
  auto [status, output] =
      RunCommand("systemd-analyze verify --man=no '" + std::string(KELVORA_CHECK_UNIT) + "' 2>&1");
  EXPECT_EQ(status, 0) << output;
  EXPECT_EQ(output.find("kelvora.service"), std::string::npos) << output;
}

// Only loopback is open without a password: another address would let any
// machine on the network drive the burner.
TEST(Service, ListeningBeyondLoopbackWithoutAPasswordIsRefused) {
  TempDir home;
  auto [status, output] = RunCommand("timeout 20 " + std::string(KELVORA_PROGRAM) + " --home '" +
                                     home.path() + "' --listen 0.0.0.0:0 </dev/null 2>&1");
  ASSERT_TRUE(WIFEXITED(status)) << output;
  EXPECT_EQ(WEXITSTATUS(status), 1) << output;
  EXPECT_NE(output.find("listening on 0.0.0.0 would let other machines reach the heating without a password"),
            std::string::npos)
      << output;
}

// A datagram socket standing in for systemd's notification socket.
class NotifySocket {
 public:
  explicit NotifySocket(const std::string& path) : path_(path) {
    fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    bound_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    timeval timeout{10, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  }
  ~NotifySocket() { ::close(fd_); }
  bool Bound() const { return bound_; }
  // The next message; empty after ten seconds of silence.
  std::string Receive() {
    char buffer[256];
    ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
  }

 private:
  std::string path_;
  int fd_ = -1;
  bool bound_ = false;
};

TEST(Service, ARunTellsTheManagerItIsReadyAndFeedsTheWatchdog) {
  TempDir home;
  NotifySocket socket(home.File("notify"));
  ASSERT_TRUE(socket.Bound());
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::setenv("NOTIFY_SOCKET", home.File("notify").c_str(), 1);
    std::freopen("/dev/null", "r", stdin);
    std::freopen("/dev/null", "w", stdout);
    ::execl(KELVORA_PROGRAM, KELVORA_PROGRAM, "--home", home.path().c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  std::vector<std::string> messages;
  int pings = 0;
  while (pings < 2) {
    std::string message = socket.Receive();
    if (message.empty()) break;
    messages.push_back(message);
    if (message == "WATCHDOG=1") ++pings;
  }
  ::kill(child, SIGTERM);
  for (std::string message = socket.Receive(); !message.empty(); message = socket.Receive()) {
    messages.push_back(message);
    if (message == "STOPPING=1") break;
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_GE(messages.size(), 4u);
  EXPECT_EQ(messages[0], "READY=1");
  EXPECT_EQ(pings, 2);
  EXPECT_EQ(messages.back(), "STOPPING=1");
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), kExitStoppedOnRequest);
}

// The port the program printed in "Kelvora's page: http://127.0.0.1:PORT/";
// 0 when it did not within ten seconds.
int PrintedPort(const std::string& output) {
  std::regex page("Kelvora's page: http://127\\.0\\.0\\.1:([0-9]+)/");
  for (auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
       std::chrono::steady_clock::now() < deadline;) {
    std::ifstream in(output);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::smatch match;
    if (std::regex_search(text, match, page)) return std::stoi(match[1]);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return 0;
}

TEST(Service, SigtermEndsTheProgramWithinSecondsWhateverItsClientsDo) {
  TempDir home;
  std::string output = home.File("output");
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::freopen("/dev/null", "r", stdin);
    std::freopen(output.c_str(), "w", stdout);
    ::execl(KELVORA_PROGRAM, KELVORA_PROGRAM, "--home", home.path().c_str(), "--listen", "127.0.0.1:0",
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int port = PrintedPort(output);
  ASSERT_NE(port, 0);
  // Heads that trickle, bodies that never come, and a live stream.
  std::vector<std::unique_ptr<RawClient>> clients;
  for (int i = 0; i < 20; ++i) {
    clients.push_back(std::make_unique<RawClient>(port));
    clients.back()->Send("GET / HTTP/1.1\r\n");
  }
  for (int i = 0; i < 10; ++i) {
    clients.push_back(std::make_unique<RawClient>(port));
    clients.back()->Send("POST /login HTTP/1.1\r\n" + HostLine(port) + "Content-Length: 1000\r\n\r\npass");
  }
  clients.push_back(std::make_unique<RawClient>(port));
  clients.back()->Send("GET /api/events HTTP/1.1\r\n" + HostLine(port) + "\r\n");
  ASSERT_TRUE(clients.back()->ReadUntil("event: snapshot")) << clients.back()->Received();
  auto start = std::chrono::steady_clock::now();
  ::kill(child, SIGTERM);
  int status = 0;
  pid_t ended = 0;
  while (ended == 0 && std::chrono::steady_clock::now() - start < std::chrono::seconds(10)) {
    ended = ::waitpid(child, &status, WNOHANG);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  auto took = std::chrono::steady_clock::now() - start;
  if (ended == 0) {
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
  }
  EXPECT_LT(took, std::chrono::seconds(5));
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), kExitStoppedOnRequest);
}

}  // namespace
}  // namespace kelvora::testing
