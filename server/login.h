// The password that lets a server listen beyond this machine: stored as a
// salted, slow hash (libsodium's crypto_pwhash) in a file only its owner can
// read, checked at the login form, which then hands out a session cookie.
// A wrong password is answered at once, but its client must then wait
// before its next try, longer after each; tries in the wait are refused
// without a look at the password, so guessing is slow and costs the server
// nothing, and one client's guessing never delays another's login.
#ifndef KELVORA_SERVER_LOGIN_H_
#define KELVORA_SERVER_LOGIN_H_

#include <chrono>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace kelvora {

// Where the hash lives: "web-password" in the program directory.
std::string PasswordFilePath(const std::string& home);
// Hashes `password` and replaces the file (mode 0600) only once every byte
// is written. False with `error` on failure.
bool StorePassword(const std::string& path, std::string_view password, std::string* error);
// The stored hash, nullopt when no password was set; `error` when the file
// exists but cannot be read or holds no hash.
std::optional<std::string> LoadPasswordHash(const std::string& path, std::string* error);

// 32 random bytes as 64 hexadecimal digits.
std::string RandomToken();

struct LoginOutcome {
  std::optional<std::string> session;  // the right password
  bool tooSoon = false;                // refused unseen: the client must wait
  std::chrono::seconds retryAfter{0};  // how long, after a wrong or refused try
};

class Logins {
 public:
  // An empty hash: no login is needed. `firstWait` follows a client's first
  // wrong password, doubling after each further one.
  Logins(std::string hash, std::chrono::milliseconds firstWait);

  bool Required() const { return !hash_.empty(); }
  // `client` is the address the try came from.
  LoginOutcome LogIn(const std::string& client, std::string_view password);
  bool Valid(std::string_view session) const;
  void LogOut(std::string_view session);

 private:
  using Clock = std::chrono::steady_clock;
  struct Client {
    int failures = 0;
    Clock::time_point retryAt;
    bool trying = false;
  };

  bool TakeTurn(const std::string& client, Clock::time_point now, LoginOutcome* refused);
  void Record(const std::string& client, bool right);

  std::string hash_;
  std::chrono::milliseconds firstWait_;
  std::mutex clientsMutex_;
  std::map<std::string, Client> clients_;  // guarded by clientsMutex_
  int checking_ = 0;                       // guarded by clientsMutex_
  mutable std::mutex sessionsMutex_;
  std::deque<std::pair<std::string, Clock::time_point>> sessions_;
};

}  // namespace kelvora

#endif  // KELVORA_SERVER_LOGIN_H_
