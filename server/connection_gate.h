// The page server's front door: one thread accepts every connection and
// reads its request head (after the TLS handshake) without giving it a
// thread of its own, so clients that send slowly, or not at all, cost only
// a socket. A head must arrive whole within a deadline and within a size
// and line count; only then is the connection handed on to be served.
// Connections are capped in all and per client address.
#ifndef KELVORA_SERVER_CONNECTION_GATE_H_
#define KELVORA_SERVER_CONNECTION_GATE_H_

#include <openssl/ssl.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "server/connection.h"

namespace kelvora {

struct GateLimits {
  size_t maxHeadBytes = 16 * 1024;
  int maxHeadLines = 100;
  std::chrono::milliseconds headTimeout{5000};
  int maxConnections = 160;  // open ones, whether being read or served
  int maxPerAddress = 64;
};

class ConnectionGate {
 public:
  // Called on the gate's thread with a connection whose head has arrived:
  // `received` holds the head, `headBytes` long, and whatever followed it.
  // It must return quickly; the connection's place is held until Release.
  using Admit =
      std::function<void(std::unique_ptr<Connection> connection, std::string received, size_t headBytes)>;

  // `tls` (not owned) may be null for plain HTTP.
  ConnectionGate(GateLimits limits, SSL_CTX* tls, Admit admit);
  ~ConnectionGate();
  ConnectionGate(const ConnectionGate&) = delete;
  ConnectionGate& operator=(const ConnectionGate&) = delete;

  // Serves HTTPS from now on with `tls` (not owned), loaded after construction.
  void UseTls(SSL_CTX* tls) { tls_ = tls; }
  // Listens on host:port (port 0: any free one). False with `error` when
  // the port is taken or the address is not this machine's.
  bool Bind(const std::string& host, int port, std::string* error);
  int Port() const { return port_; }
  int ListeningSocket() const { return listenFd_; }
  void Start();
  // Stops accepting and closes every connection not yet handed on.
  void Stop();
  // An admitted connection has ended: its place is free again.
  void Release(const std::string& peerAddress);

 private:
  struct Pending;

  void Loop();
  void AcceptAll();
  bool TakePlace(const std::string& peerAddress);
  void Advance(Pending& pending);
  void Refuse(Pending& pending, const char* status, const char* message);
  void Drop(int fd);
  int NextTimeout() const;
  void ExpireHeads();

  GateLimits limits_;
  SSL_CTX* tls_;
  Admit admit_;
  int listenFd_ = -1;
  int epollFd_ = -1;
  int wakeFd_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
  std::map<int, std::unique_ptr<Pending>> pending_;  // gate thread only

  std::mutex placesMutex_;
  int open_ = 0;                           // guarded by placesMutex_
  std::map<std::string, int> perAddress_;  // guarded by placesMutex_
};

}  // namespace kelvora

#endif  // KELVORA_SERVER_CONNECTION_GATE_H_
