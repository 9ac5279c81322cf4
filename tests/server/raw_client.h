// A client on a bare socket, for what well-behaved HTTP clients never do:
// bodies that are not what they claim, heads that trickle, connections from
// another loopback address.
#ifndef KELVORA_TESTS_SERVER_RAW_CLIENT_H_
#define KELVORA_TESTS_SERVER_RAW_CLIENT_H_

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <string_view>

namespace kelvora::testing {

class RawClient {
 public:
  using Patience = std::chrono::milliseconds;

  // Connects to 127.0.0.1:port from `source`, any address of 127.0.0.0/8.
  explicit RawClient(int port, const char* source = "127.0.0.1") {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in from{AF_INET, 0, {}, {}},
        to{AF_INET, htons(static_cast<uint16_t>(port)), {htonl(INADDR_LOOPBACK)}, {}};
    ::inet_pton(AF_INET, source, &from.sin_addr);
    ::bind(fd_, reinterpret_cast<sockaddr*>(&from), sizeof from);
    ::connect(fd_, reinterpret_cast<sockaddr*>(&to), sizeof to);
  }
  ~RawClient() { ::close(fd_); }
  RawClient(const RawClient&) = delete;
  RawClient& operator=(const RawClient&) = delete;

  int Fd() const { return fd_; }
  bool Send(std::string_view bytes) {
    for (ssize_t sent = 0; !bytes.empty(); bytes.remove_prefix(static_cast<size_t>(sent))) {
      if ((sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL)) <= 0) return false;
    }
    return true;
  }
  // Everything the server sends until it closes, or until `patience` passes.
  std::string ReadToEnd(Patience patience = std::chrono::seconds(5)) {
    for (auto deadline = Clock::now() + patience; ReadSome(deadline) > 0;) {
    }
    return received_;
  }
  // Reads until `text` has arrived (true), or the connection closes or the
  // patience runs out (false).
  bool ReadUntil(std::string_view text, Patience patience = std::chrono::seconds(5)) {
    for (auto deadline = Clock::now() + patience; received_.find(text) == std::string::npos;) {
      if (ReadSome(deadline) <= 0) return false;
    }
    return true;
  }
  // Whether the server closes its side (end of file or a reset) within `patience`.
  bool ClosedWithin(Patience patience) {
    for (auto deadline = Clock::now() + patience;;) {
      if (int got = ReadSome(deadline); got <= 0) return got == 0 || errno != ETIMEDOUT;
    }
  }
  const std::string& Received() const { return received_; }
  void Forget() { received_.clear(); }

 private:
  using Clock = std::chrono::steady_clock;

  // >0 bytes read, 0 end of file, -1 error or (errno ETIMEDOUT) the deadline.
  int ReadSome(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<Patience>(deadline - Clock::now()).count();
    pollfd entry{fd_, POLLIN, 0};
    if (left <= 0 || ::poll(&entry, 1, static_cast<int>(left)) <= 0) {
      errno = ETIMEDOUT;
      return -1;
    }
    char buffer[8192];
    ssize_t got = ::recv(fd_, buffer, sizeof buffer, 0);
    if (got > 0) received_.append(buffer, static_cast<size_t>(got));
    return static_cast<int>(got);
  }

  int fd_;
  std::string received_;
};

// "Host: 127.0.0.1:PORT\r\n"
inline std::string HostLine(int port) { return "Host: 127.0.0.1:" + std::to_string(port) + "\r\n"; }

}  // namespace kelvora::testing

#endif  // KELVORA_TESTS_SERVER_RAW_CLIENT_H_
