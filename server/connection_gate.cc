#include "server/connection_gate.h"

#include <netdb.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace kelvora {
namespace {

constexpr int kListenBacklog = 128;
constexpr size_t kReadChunk = 4096;
constexpr auto kRefusalPatience = std::chrono::milliseconds(200);
constexpr std::string_view kHeadEnd = "\r\n\r\n";

int OpenListeningSocket(const addrinfo& address) {
  int fd =
      ::socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, address.ai_protocol);
  if (fd < 0) return -1;
  // Not SO_REUSEPORT: a second Kelvora must be told the port is taken.
  int yes = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  if (::bind(fd, address.ai_addr, address.ai_addrlen) != 0 || ::listen(fd, kListenBacklog) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

std::string Unbracketed(const std::string& host) {
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') return host.substr(1, host.size() - 2);
  return host;
}

// The few bytes a refusal needs when no request could be read: the HTTP
// library only answers requests it has parsed.
std::string CannedAnswer(const char* status, const char* message) {
  std::string body = std::string("{\"error\":\"") + message + "\"}";
  return std::string("HTTP/1.1 ") + status +
         "\r\nContent-Type: application/json\r\nX-Content-Type-Options: nosniff\r\nConnection: close\r\n"
         "Content-Length: " +
         std::to_string(body.size()) + "\r\n\r\n" + body;
}

}  // namespace

struct ConnectionGate::Pending {
  std::unique_ptr<Connection> connection;
  SteadyClock::time_point deadline;
  bool handshaken = false;
  std::string received;
};

ConnectionGate::ConnectionGate(GateLimits limits, SSL_CTX* tls, Admit admit)
    : limits_(limits), tls_(tls), admit_(std::move(admit)) {}

ConnectionGate::~ConnectionGate() {
  Stop();
  if (listenFd_ >= 0) ::close(listenFd_);
  if (epollFd_ >= 0) ::close(epollFd_);
  if (wakeFd_ >= 0) ::close(wakeFd_);
}

bool ConnectionGate::Bind(const std::string& host, int port, std::string* error) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  std::string service = std::to_string(port);
  if (::getaddrinfo(Unbracketed(host).c_str(), service.c_str(), &hints, &found) == 0) {
    for (addrinfo* address = found; address != nullptr && listenFd_ < 0; address = address->ai_next) {
      listenFd_ = OpenListeningSocket(*address);
    }
    ::freeaddrinfo(found);
  }
  if (listenFd_ < 0) {
    *error = "cannot listen on " + host + ":" + service +
             ": the port is in use, or the address is not one of this machine's";
    return false;
  }
  sockaddr_storage bound{};
  socklen_t length = sizeof bound;
  ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&bound), &length);
  std::string ignored;
  SocketAddressText(bound, ignored, port_);
  return true;
}

void ConnectionGate::Start() {
  epollFd_ = ::epoll_create1(EPOLL_CLOEXEC);
  wakeFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  for (int fd : {listenFd_, wakeFd_}) {
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.fd = fd;
    ::epoll_ctl(epollFd_, EPOLL_CTL_ADD, fd, &event);
  }
  thread_ = std::thread([this] { Loop(); });
}

void ConnectionGate::Stop() {
  if (stopping_.exchange(true)) return;
  if (wakeFd_ >= 0) {
    uint64_t one = 1;
    [[maybe_unused]] ssize_t written = ::write(wakeFd_, &one, sizeof one);
  }
  if (thread_.joinable()) thread_.join();
}

void ConnectionGate::Loop() {
  epoll_event events[64];
  while (!stopping_) {
    int ready = ::epoll_wait(epollFd_, events, 64, NextTimeout());
    for (int i = 0; i < ready && !stopping_; ++i) {
      int fd = events[i].data.fd;
      if (fd == listenFd_) {
        AcceptAll();
      } else if (auto found = pending_.find(fd); found != pending_.end()) {
        Advance(*found->second);
      }
    }
    ExpireHeads();
  }
  while (!pending_.empty()) Drop(pending_.begin()->first);
}

bool ConnectionGate::TakePlace(const std::string& peerAddress) {
  std::lock_guard<std::mutex> lock(placesMutex_);
  int& mine = perAddress_[peerAddress];
  if (open_ >= limits_.maxConnections || mine >= limits_.maxPerAddress) {
    if (mine == 0) perAddress_.erase(peerAddress);
    return false;
  }
  ++open_;
  ++mine;
  return true;
}

void ConnectionGate::Release(const std::string& peerAddress) {
  std::lock_guard<std::mutex> lock(placesMutex_);
  --open_;
  if (--perAddress_[peerAddress] <= 0) perAddress_.erase(peerAddress);
}

void ConnectionGate::AcceptAll() {
  for (;;) {
    sockaddr_storage peer{};
    socklen_t length = sizeof peer;
    int fd = ::accept4(listenFd_, reinterpret_cast<sockaddr*>(&peer), &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;  // none left, or out of descriptors: the rest wait in the backlog
    std::string address;
    int port = 0;
    SocketAddressText(peer, address, port);
    if (!TakePlace(address)) {
      std::string answer = CannedAnswer("503 Service Unavailable", "too many connections; try again");
      [[maybe_unused]] ssize_t sent = ::send(fd, answer.data(), answer.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
      ::close(fd);
      continue;
    }
    SSL* ssl = tls_ != nullptr ? SSL_new(tls_) : nullptr;
    auto pending = std::make_unique<Pending>();
    pending->connection = std::make_unique<Connection>(fd, address, port, ssl);
    pending->deadline = SteadyClock::now() + limits_.headTimeout;
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.fd = fd;
    ::epoll_ctl(epollFd_, EPOLL_CTL_ADD, fd, &event);
    pending_[fd] = std::move(pending);
  }
}

// One step of a connection: the handshake, then reading until the head is
// whole, the socket has nothing more for now, or a limit is passed.
void ConnectionGate::Advance(Pending& pending) {
  Connection& connection = *pending.connection;
  int fd = connection.Fd();
  Transfer outcome = Transfer::kMoved;
  if (!pending.handshaken) {
    outcome = connection.Handshake();
    pending.handshaken = outcome == Transfer::kMoved;
  }
  while (outcome == Transfer::kMoved) {
    size_t before = pending.received.size();
    pending.received.resize(before + kReadChunk);
    size_t moved = 0;
    outcome = connection.Receive(pending.received.data() + before, kReadChunk, &moved);
    pending.received.resize(before + moved);
    if (outcome != Transfer::kMoved) break;
    size_t end = pending.received.find(kHeadEnd, before >= 3 ? before - 3 : 0);
    if (end != std::string::npos) {
      size_t headBytes = end + kHeadEnd.size();
      auto lines = std::count(pending.received.begin(), pending.received.begin() + end, '\n');
      if (lines > limits_.maxHeadLines)
        return Refuse(pending, "431 Request Header Fields Too Large", "too many header lines");
      ::epoll_ctl(epollFd_, EPOLL_CTL_DEL, fd, nullptr);
      auto node = pending_.extract(fd);
      admit_(std::move(node.mapped()->connection), std::move(node.mapped()->received), headBytes);
      return;
    }
    if (pending.received.size() >= limits_.maxHeadBytes) {
      return Refuse(pending, "431 Request Header Fields Too Large", "the request's head is too large");
    }
  }
  if (outcome == Transfer::kClosed) return Drop(fd);
  epoll_event event{};
  event.events = outcome == Transfer::kWantWrite ? EPOLLOUT : EPOLLIN;
  event.data.fd = fd;
  ::epoll_ctl(epollFd_, EPOLL_CTL_MOD, fd, &event);
}

void ConnectionGate::Refuse(Pending& pending, const char* status, const char* message) {
  std::string answer = CannedAnswer(status, message);
  if (pending.handshaken) {
    pending.connection->SendAll(answer.data(), answer.size(), SteadyClock::now() + kRefusalPatience);
  }
  Drop(pending.connection->Fd());
}

void ConnectionGate::Drop(int fd) {
  auto found = pending_.find(fd);
  if (found == pending_.end()) return;
  ::epoll_ctl(epollFd_, EPOLL_CTL_DEL, fd, nullptr);
  std::string address = found->second->connection->PeerAddress();
  pending_.erase(found);
  Release(address);
}

int ConnectionGate::NextTimeout() const {
  if (pending_.empty()) return -1;
  auto earliest = std::min_element(pending_.begin(), pending_.end(), [](const auto& a, const auto& b) {
                    return a.second->deadline < b.second->deadline;
                  })->second->deadline;
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(earliest - SteadyClock::now()).count();
  return static_cast<int>(std::max<long long>(left, 0) + 1);
}

void ConnectionGate::ExpireHeads() {
  auto now = SteadyClock::now();
  for (auto it = pending_.begin(); it != pending_.end();) {
    Pending& pending = *(it++)->second;  // advance first: Refuse erases the entry
    if (pending.deadline <= now) Refuse(pending, "408 Request Timeout", "the request did not arrive in time");
  }
}

}  // namespace kelvora
