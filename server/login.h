// The password that lets a server listen beyond this machine: stored as a
// salted, slow hash (libsodium's crypto_pwhash) in a file only its owner can
// read, checked at the login form, which then hands out a session cookie.
// Failed logins are answered slowly, one at a time, so guessing is slow.
#ifndef KELVORA_SERVER_LOGIN_H_
#define KELVORA_SERVER_LOGIN_H_

#include <chrono>
#include <deque>
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

class Logins {
 public:
  // An empty hash: no login is needed.
  Logins(std::string hash, std::chrono::milliseconds failureDelay);

  bool Required() const { return !hash_.empty(); }
  // A new session for the right password; a wrong one waits longer the more
  // failures came before it.
  std::optional<std::string> LogIn(std::string_view password);
  bool Valid(std::string_view session) const;

 private:
  std::string hash_;
  std::chrono::milliseconds failureDelay_;
  std::mutex attempts_;  // one login at a time
  int failures_ = 0;     // guarded by attempts_
  mutable std::mutex sessionsMutex_;
  std::deque<std::pair<std::string, std::chrono::steady_clock::time_point>> sessions_;
};

}  // namespace kelvora

#endif  // KELVORA_SERVER_LOGIN_H_
