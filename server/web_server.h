// The HTTP(S) server of the page, on its own threads: it reads the snapshots
// the control thread publishes and posts commands to it, never touching the
// run state itself. Every request passes the Host, origin, login and token
// checks before its route (routes.cc) runs.
#ifndef KELVORA_SERVER_WEB_SERVER_H_
#define KELVORA_SERVER_WEB_SERVER_H_

#include <memory>
#include <string>
#include <thread>

#include "server/page_routes.h"
#include "server/routes.h"
#include "server/server_context.h"

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
  // Tells every page that the program has ended, then stops serving.
  void End();

  int Port() const { return port_; }
  std::string Address() const;  // "http://127.0.0.1:8470/"
  const std::string& Token() const { return context_.token; }

 private:
  void Register(const Route& route);
  bool Admitted(const httplib::Request& req, httplib::Response& res) const;
  bool LoggedIn(const httplib::Request& req) const;

  WebServerOptions options_;
  LiveFeed feed_;
  Logins logins_;
  ServerContext context_;
  std::unique_ptr<httplib::Server> http_;
  int port_ = 0;
  std::thread thread_;
  bool ended_ = false;
};

}  // namespace kelvora

#endif  // KELVORA_SERVER_WEB_SERVER_H_
