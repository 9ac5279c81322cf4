#include "server/login.h"

#include <fcntl.h>
#include <sodium.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

namespace kelvora {
namespace {

constexpr size_t kMaxSessions = 32;
constexpr auto kSessionLife = std::chrono::hours(12);
constexpr int kMaxDoublings = 6;
constexpr auto kLongestWait = std::chrono::minutes(1);
constexpr size_t kMaxClients = 1024;
constexpr int kMaxChecking = 2;
constexpr size_t kMaxPasswordLength = 1024;

bool SodiumReady() { return sodium_init() >= 0; }

}  // namespace

std::string PasswordFilePath(const std::string& home) {
  return home.empty() || home.back() == '/' ? home + "web-password" : home + "/web-password";
}

// The one file of the program that must be readable by its owner alone,
// which the program's file layer does not offer: it is written here with
// the same rule, a new file renamed over the old once complete.
bool StorePassword(const std::string& path, std::string_view password, std::string* error) {
  if (!SodiumReady()) {
    *error = "the cryptography library could not start";
    return false;
  }
  if (password.empty() || password.size() > kMaxPasswordLength) {
    *error = "the password must have 1 to 1024 characters";
    return false;
  }
  char hash[crypto_pwhash_STRBYTES];
  if (crypto_pwhash_str(hash, password.data(), password.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                        crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0) {
    *error = "not enough memory to hash the password";
    return false;
  }
  std::string temporary = path + ".new";
  int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  std::string line = std::string(hash) + "\n";
  bool written = fd >= 0 && ::fchmod(fd, 0600) == 0 &&
                 ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size()) &&
                 ::fsync(fd) == 0;
  int saved = errno;
  if (fd >= 0) ::close(fd);
  if (!written || ::rename(temporary.c_str(), path.c_str()) != 0) {
    *error = path + ": " + std::strerror(written ? errno : saved);
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

std::optional<std::string> LoadPasswordHash(const std::string& path, std::string* error) {
  std::ifstream in(path);
  if (!in) {
    if (::access(path.c_str(), F_OK) == 0) *error = path + " cannot be read";
    return std::nullopt;
  }
  std::string hash;
  std::getline(in, hash);
  if (hash.rfind("$argon2", 0) != 0 || hash.size() >= crypto_pwhash_STRBYTES) {
    *error = path + " holds no password hash; set one again with --set-password";
    return std::nullopt;
  }
  return hash;
}

std::string RandomToken() {
  unsigned char bytes[32];
  if (!SodiumReady()) std::abort();  // no secret can be made: better not to serve at all
  randombytes_buf(bytes, sizeof bytes);
  char hex[sizeof bytes * 2 + 1];
  sodium_bin2hex(hex, sizeof hex, bytes, sizeof bytes);
  return hex;
}

Logins::Logins(std::string hash, std::chrono::milliseconds firstWait)
    : hash_(std::move(hash)), firstWait_(firstWait) {}

LoginOutcome Logins::LogIn(const std::string& client, std::string_view password) {
  LoginOutcome outcome;
  if (!TakeTurn(client, Clock::now(), &outcome)) return outcome;
  // The slow hash runs outside every lock.
  bool right = SodiumReady() && password.size() <= kMaxPasswordLength &&
               crypto_pwhash_str_verify(hash_.c_str(), password.data(), password.size()) == 0;
  Record(client, right);
  if (!right) {
    std::lock_guard<std::mutex> lock(clientsMutex_);
    auto wait = clients_[client].retryAt - Clock::now();
    outcome.retryAfter = std::max(std::chrono::seconds(1), std::chrono::ceil<std::chrono::seconds>(wait));
    return outcome;
  }
  std::string session = RandomToken();
  std::lock_guard<std::mutex> lock(sessionsMutex_);
  sessions_.emplace_back(session, Clock::now() + kSessionLife);
  if (sessions_.size() > kMaxSessions) sessions_.pop_front();
  outcome.session = session;
  return outcome;
}

// A client may try when its wait is over and it has no other try running,
// and while few hashes are being checked at all (each takes much memory).
bool Logins::TakeTurn(const std::string& client, Clock::time_point now, LoginOutcome* refused) {
  std::lock_guard<std::mutex> lock(clientsMutex_);
  if (clients_.size() >= kMaxClients) {
    std::erase_if(clients_,
                  [now](const auto& entry) { return !entry.second.trying && entry.second.retryAt <= now; });
  }
  auto found = clients_.find(client);
  bool busy = checking_ >= kMaxChecking || clients_.size() >= kMaxClients;
  if (busy || (found != clients_.end() && (found->second.trying || found->second.retryAt > now))) {
    refused->tooSoon = true;
    auto wait = found == clients_.end() ? Clock::duration::zero() : found->second.retryAt - now;
    refused->retryAfter = std::max(std::chrono::seconds(1), std::chrono::ceil<std::chrono::seconds>(wait));
    return false;
  }
  clients_[client].trying = true;
  ++checking_;
  return true;
}

void Logins::Record(const std::string& client, bool right) {
  std::lock_guard<std::mutex> lock(clientsMutex_);
  --checking_;
  if (right) {
    clients_.erase(client);
    return;
  }
  Client& entry = clients_[client];
  entry.trying = false;
  entry.failures = std::min(entry.failures + 1, kMaxDoublings + 1);
  entry.retryAt =
      Clock::now() + std::min<Clock::duration>(firstWait_ * (1 << (entry.failures - 1)), kLongestWait);
}

void Logins::LogOut(std::string_view session) {
  std::lock_guard<std::mutex> lock(sessionsMutex_);
  std::erase_if(sessions_, [&](const auto& entry) {
    return entry.first.size() == session.size() &&
           sodium_memcmp(entry.first.data(), session.data(), session.size()) == 0;
  });
}

bool Logins::Valid(std::string_view session) const {
  if (session.empty()) return false;
  std::lock_guard<std::mutex> lock(sessionsMutex_);
  auto now = std::chrono::steady_clock::now();
  return std::any_of(sessions_.begin(), sessions_.end(), [&](const auto& entry) {
    return entry.second > now && entry.first.size() == session.size() &&
           sodium_memcmp(entry.first.data(), session.data(), session.size()) == 0;
  });
}

}  // namespace kelvora
