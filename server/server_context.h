// What every route handler is handed: the program it posts commands to, the
// message boxes, the push stream, the logins and the per-process token, with
// the few helpers every handler uses to answer.
#ifndef KELVORA_SERVER_SERVER_CONTEXT_H_
#define KELVORA_SERVER_SERVER_CONTEXT_H_

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include <httplib.h>
#include <nlohmann/json.hpp>

#include "Monitor/Monitor.h"
#include "server/live_feed.h"
#include "server/login.h"
#include "server/request_checks.h"
#include "server/web_user_interface.h"

namespace kelvora {

struct WebServerOptions {
  ListenAddress listen;
  std::string passwordHash;  // empty: no login; only loopback addresses then
  std::string tlsCert;       // both set: HTTPS
  std::string tlsKey;
  int maxStreams = 16;
  size_t maxBodyBytes = 64 * 1024;
  std::chrono::seconds ioTimeout{5};
  // A request's head must arrive whole within this, however it trickles.
  std::chrono::milliseconds headTimeout{5000};
  int maxConnections = 160;
  int maxConnectionsPerAddress = 64;
  std::chrono::milliseconds feedPeriod{100};
  std::chrono::milliseconds streamHeartbeat{15000};
  // After a wrong password its client waits this long before the next try,
  // twice as long after each further one.
  std::chrono::milliseconds failedLoginDelay{1000};
  // How long a request waits for the control thread; a box that holds the
  // pass may keep it for up to ten minutes.
  std::chrono::milliseconds commandTimeout = std::chrono::minutes(11);
};

struct ServerContext {
  Program& program;
  WebUserInterface& ui;
  LiveFeed& feed;
  Logins& logins;
  const WebServerOptions& options;
  std::string token;
  bool tls = false;
};

void ReplyJson(httplib::Response& res, int status, const nlohmann::json& body);
// {"error": message}
void ReplyError(httplib::Response& res, int status, const std::string& message);

// Runs `work` on the control thread between two passes and waits for its
// result, to which "boxes" (the message boxes it raised) is added, and
// "ended": true when it ended the program. Nothing when the control thread
// did not take it in time; it is then dropped, never run late.
std::optional<nlohmann::json> OnControlThread(ServerContext& context,
                                              std::function<nlohmann::json(Program&)> work);

}  // namespace kelvora

#endif  // KELVORA_SERVER_SERVER_CONTEXT_H_
