// One client connection of the page's server, plain or TLS, on a
// non-blocking socket, and the stream the HTTP library reads one request
// from and writes its answer to. Every wait has a deadline, and the bytes a
// request may send are bounded, so no client holds a thread or memory for
// long however slowly or however much it sends.
#ifndef KELVORA_SERVER_CONNECTION_H_
#define KELVORA_SERVER_CONNECTION_H_

#include <openssl/ssl.h>
#include <sys/socket.h>

#include <chrono>
#include <string>

#include <httplib.h>

namespace kelvora {

using SteadyClock = std::chrono::steady_clock;

// What a non-blocking transfer did: moved bytes, or must wait for the
// socket, or the peer is gone.
enum class Transfer { kMoved, kWantRead, kWantWrite, kClosed };

// A socket address as text ("127.0.0.1", "::1") and its port.
void SocketAddressText(const sockaddr_storage& address, std::string& ip, int& port);

class Connection {
 public:
  // Takes ownership of `fd` (and of `ssl` when not null).
  Connection(int fd, std::string peerAddress, int peerPort, SSL* ssl);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  int Fd() const { return fd_; }
  bool Tls() const { return ssl_ != nullptr; }
  const std::string& PeerAddress() const { return peerAddress_; }
  int PeerPort() const { return peerPort_; }

  // The TLS handshake, one step; kMoved once it is complete (at once
  // without TLS).
  Transfer Handshake();
  // Reads at most `size` bytes; `*moved` tells how many.
  Transfer Receive(char* data, size_t size, size_t* moved);
  Transfer Send(const char* data, size_t size, size_t* moved);
  // Bytes the TLS layer already decrypted and holds.
  bool HasPending() const;

  // Waits until the socket can do what `transfer` asked for; false at the
  // deadline or when the socket failed.
  bool Wait(Transfer transfer, SteadyClock::time_point deadline) const;
  // Writes all of `data` before the deadline.
  bool SendAll(const char* data, size_t size, SteadyClock::time_point deadline);
  // Ends the connection politely: the answer is sent, then what the client
  // still sends is read and dropped for a moment, so that closing with
  // unread bytes does not reset the connection before the client has read
  // the answer.
  void Linger(std::chrono::milliseconds patience, size_t maxBytes);
  // From another thread: every wait and transfer on it fails from now on.
  void Abort();

 private:
  int fd_;
  std::string peerAddress_;
  int peerPort_;
  SSL* ssl_;
};

// Limits on one request's bytes and time.
struct RequestBudget {
  size_t maxBodyBytes = 64 * 1024;
  std::chrono::milliseconds ioTimeout{5000};
};

// The stream of one request: first the head the gate has already read
// (and any body bytes that came with it), then the socket. The body may
// take the budget's time and somewhat more than its bytes (chunk framing);
// past either, reads fail.
class ConnectionStream : public httplib::Stream {
 public:
  ConnectionStream(Connection& connection, std::string received, size_t headBytes, RequestBudget budget);

  bool is_readable() const override;
  bool is_writable() const override;
  ssize_t read(char* ptr, size_t size) override;
  ssize_t write(const char* ptr, size_t size) override;
  void get_remote_ip_and_port(std::string& ip, int& port) const override;
  void get_local_ip_and_port(std::string& ip, int& port) const override;
  int socket() const override { return connection_.Fd(); }

 private:
  bool Refill();

  Connection& connection_;
  std::string received_;
  size_t consumed_ = 0;
  size_t bodyRead_ = 0;  // bytes delivered past the head
  size_t headBytes_;
  size_t bodyLimit_;
  RequestBudget budget_;
  SteadyClock::time_point bodyDeadline_;
};

}  // namespace kelvora

#endif  // KELVORA_SERVER_CONNECTION_H_
