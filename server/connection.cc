#include "server/connection.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace kelvora {
namespace {

constexpr size_t kReadChunk = 4096;

Transfer TlsOutcome(SSL* ssl, int result) {
  switch (SSL_get_error(ssl, result)) {
    case SSL_ERROR_WANT_READ:
      return Transfer::kWantRead;
    case SSL_ERROR_WANT_WRITE:
      return Transfer::kWantWrite;
    default:
      return Transfer::kClosed;
  }
}

Transfer SocketOutcome(ssize_t result) {
  if (result > 0) return Transfer::kMoved;
  if (result < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return Transfer::kWantRead;
  return Transfer::kClosed;
}

int MillisecondsUntil(SteadyClock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
  return static_cast<int>(std::clamp<long long>(left, 0, 60 * 60 * 1000));
}

}  // namespace

void SocketAddressText(const sockaddr_storage& address, std::string& ip, int& port) {
  char text[INET6_ADDRSTRLEN] = {};
  if (address.ss_family == AF_INET6) {
    const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
    ::inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
    port = ntohs(v6.sin6_port);
  } else {
    const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
    ::inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
    port = ntohs(v4.sin_port);
  }
  ip = text;
}

Connection::Connection(int fd, std::string peerAddress, int peerPort, SSL* ssl)
    : fd_(fd), peerAddress_(std::move(peerAddress)), peerPort_(peerPort), ssl_(ssl) {
  if (ssl_ != nullptr) SSL_set_fd(ssl_, fd_);
}

Connection::~Connection() {
  if (ssl_ != nullptr) SSL_free(ssl_);
  ::close(fd_);
}

Transfer Connection::Handshake() {
  if (ssl_ == nullptr) return Transfer::kMoved;
  int result = SSL_accept(ssl_);
  return result == 1 ? Transfer::kMoved : TlsOutcome(ssl_, result);
}

Transfer Connection::Receive(char* data, size_t size, size_t* moved) {
  *moved = 0;
  if (ssl_ != nullptr) {
    int result = SSL_read(ssl_, data, static_cast<int>(std::min<size_t>(size, 1 << 20)));
    if (result <= 0) return TlsOutcome(ssl_, result);
    *moved = static_cast<size_t>(result);
    return Transfer::kMoved;
  }
  ssize_t result = ::recv(fd_, data, size, MSG_DONTWAIT);
  if (result > 0) *moved = static_cast<size_t>(result);
  return SocketOutcome(result);
}

Transfer Connection::Send(const char* data, size_t size, size_t* moved) {
  *moved = 0;
  if (ssl_ != nullptr) {
    int result = SSL_write(ssl_, data, static_cast<int>(std::min<size_t>(size, 1 << 20)));
    if (result <= 0) return TlsOutcome(ssl_, result);
    *moved = static_cast<size_t>(result);
    return Transfer::kMoved;
  }
  ssize_t result = ::send(fd_, data, size, MSG_DONTWAIT | MSG_NOSIGNAL);
  if (result > 0) *moved = static_cast<size_t>(result);
  Transfer outcome = SocketOutcome(result);
  return outcome == Transfer::kWantRead ? Transfer::kWantWrite : outcome;
}

bool Connection::HasPending() const { return ssl_ != nullptr && SSL_pending(ssl_) > 0; }

bool Connection::Wait(Transfer transfer, SteadyClock::time_point deadline) const {
  pollfd entry{fd_, static_cast<short>(transfer == Transfer::kWantWrite ? POLLOUT : POLLIN), 0};
  for (;;) {
    int ready = ::poll(&entry, 1, MillisecondsUntil(deadline));
    if (ready > 0) return true;  // ready, or hung up: the transfer then tells which
    if (ready == 0 || errno != EINTR) return false;
  }
}

bool Connection::SendAll(const char* data, size_t size, SteadyClock::time_point deadline) {
  while (size > 0) {
    size_t moved = 0;
    Transfer outcome = Send(data, size, &moved);
    if (outcome == Transfer::kClosed) return false;
    if (outcome != Transfer::kMoved && !Wait(outcome, deadline)) return false;
    data += moved;
    size -= moved;
  }
  return true;
}

void Connection::Linger(std::chrono::milliseconds patience, size_t maxBytes) {
  if (ssl_ != nullptr) SSL_shutdown(ssl_);
  ::shutdown(fd_, SHUT_WR);
  auto deadline = SteadyClock::now() + patience;
  char sink[kReadChunk];
  size_t dropped = 0;
  while (dropped < maxBytes && Wait(Transfer::kWantRead, deadline)) {
    ssize_t got = ::recv(fd_, sink, sizeof sink, MSG_DONTWAIT);
    if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR)) return;
    if (got > 0) dropped += static_cast<size_t>(got);
  }
}

void Connection::Abort() { ::shutdown(fd_, SHUT_RDWR); }

ConnectionStream::ConnectionStream(Connection& connection, std::string received, size_t headBytes,
                                   RequestBudget budget)
    : connection_(connection),
      received_(std::move(received)),
      headBytes_(headBytes),
      // Chunked bodies carry their framing besides the body; the body's own
      // limit is checked where it is assembled.
      bodyLimit_(2 * budget.maxBodyBytes + kReadChunk),
      budget_(budget),
      bodyDeadline_(SteadyClock::now() + budget.ioTimeout) {}

bool ConnectionStream::is_readable() const {
  return consumed_ < received_.size() || connection_.HasPending() ||
         connection_.Wait(Transfer::kWantRead, bodyDeadline_);
}

bool ConnectionStream::is_writable() const {
  return connection_.Wait(Transfer::kWantWrite, SteadyClock::now() + budget_.ioTimeout);
}

ssize_t ConnectionStream::read(char* ptr, size_t size) {
  if (consumed_ == received_.size() && !Refill()) return -1;
  size_t count = std::min(size, received_.size() - consumed_);
  size_t end = consumed_ + count;
  if (end > headBytes_) {
    size_t body = end - std::max(consumed_, headBytes_);
    if (bodyRead_ + body > bodyLimit_) return -1;
    bodyRead_ += body;
  }
  std::memcpy(ptr, received_.data() + consumed_, count);
  consumed_ = end;
  return static_cast<ssize_t>(count);
}

ssize_t ConnectionStream::write(const char* ptr, size_t size) {
  bool sent = connection_.SendAll(ptr, size, SteadyClock::now() + budget_.ioTimeout);
  return sent ? static_cast<ssize_t>(size) : -1;
}

bool ConnectionStream::Refill() {
  // Only called once everything received so far, the head included, has
  // been delivered: what comes now is body.
  received_.clear();
  consumed_ = 0;
  headBytes_ = 0;
  if (bodyRead_ >= bodyLimit_) return false;
  received_.resize(kReadChunk);
  for (;;) {
    size_t moved = 0;
    Transfer outcome = connection_.Receive(received_.data(), received_.size(), &moved);
    if (outcome == Transfer::kMoved) {
      received_.resize(moved);
      return true;
    }
    if (outcome == Transfer::kClosed || !connection_.Wait(outcome, bodyDeadline_)) {
      received_.clear();
      return false;
    }
  }
}

void ConnectionStream::get_remote_ip_and_port(std::string& ip, int& port) const {
  ip = connection_.PeerAddress();
  port = connection_.PeerPort();
}

void ConnectionStream::get_local_ip_and_port(std::string& ip, int& port) const {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  if (::getsockname(connection_.Fd(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    ip.clear();
    port = -1;
    return;
  }
  SocketAddressText(address, ip, port);
}

}  // namespace kelvora
