// The HTTP(S) server of the page, on its own threads: it reads the snapshots
// the control thread publishes and posts commands to it, never touching the
// run state itself. The gate reads each request's head; every request then
// passes the Host, origin, route, login, token and size checks before a
// byte of its body is read, and is answered on a connection of its own,
// which closes after the answer, so nothing a refused request sent can be
// taken for another request.
#ifndef KELVORA_SERVER_WEB_SERVER_H_
#define KELVORA_SERVER_WEB_SERVER_H_

#include <condition_variable>
#include <memory>
#include <mutex>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "server/connection_gate.h"
#include "server/page_routes.h"
#include "server/routes.h"
#include "server/server_context.h"
#include "server/tls_context.h"

namespace kelvora {

class WebServer {
 public:
  WebServer(Program& program, WebUserInterface& ui, WebServerOptions options);
  ~WebServer();
  WebServer(const WebServer&) = delete;
  WebServer& operator=(const WebServer&) = delete;

  // Takes the port; false with `error` when it cannot (in use, an address
  // not of this machine, TLS files that do not load).
  bool Bind(std::string* error);
  // Serves from now on, on the server's own threads.
  void Start();
  // Tells every page that the program has ended, then stops serving: every
  // connection is cut, so this returns within moments whatever the clients do.
  void End();

  int Port() const { return gate_.Port(); }
  std::string Address() const;  // "http://127.0.0.1:8470/"
  const std::string& Token() const { return context_.token; }

 private:
  class Requests;
  struct CompiledRoute {
    Route route;
    std::regex pattern;
  };

  void Register(const Route& route);
  void Admit(std::unique_ptr<Connection> connection, std::string received, size_t headBytes);
  void Serve(Connection& connection, std::string received, size_t headBytes);
  bool Admitted(const httplib::Request& req, httplib::Response& res) const;
  bool AllowedRoute(const httplib::Request& req, httplib::Response& res) const;
  bool BodyAllowed(const httplib::Request& req, httplib::Response& res) const;
  bool LoggedIn(const httplib::Request& req) const;

  WebServerOptions options_;
  LiveFeed feed_;
  Logins logins_;
  ServerContext context_;
  TlsContext tls_;
  std::unique_ptr<Requests> requests_;
  std::vector<CompiledRoute> routes_;
  ConnectionGate gate_;
  bool ended_ = false;

  std::mutex servingMutex_;
  std::condition_variable servingDone_;
  std::set<Connection*> serving_;  // guarded by servingMutex_
  bool stopping_ = false;          // guarded by servingMutex_
};

}  // namespace kelvora

#endif  // KELVORA_SERVER_WEB_SERVER_H_
