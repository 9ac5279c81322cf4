#include "server/web_server.h"

#include <chrono>

namespace kelvora {
namespace {

// Threads beyond the push streams, so that 16 open pages never starve a
// command or a page load.
constexpr int kSpareThreads = 8;
constexpr time_t kKeepAliveSeconds = 3;
constexpr auto kStreamsClosing = std::chrono::seconds(1);

std::string CookieValue(const std::string& header, std::string_view name) {
  size_t at = 0;
  while (at < header.size()) {
    size_t end = header.find(';', at);
    if (end == std::string::npos) end = header.size();
    std::string_view pair = std::string_view(header).substr(at, end - at);
    while (!pair.empty() && pair.front() == ' ') pair.remove_prefix(1);
    if (pair.size() > name.size() && pair.substr(0, name.size()) == name && pair[name.size()] == '=') {
      return std::string(pair.substr(name.size() + 1));
    }
    at = end + 1;
  }
  return {};
}

}  // namespace

WebServer::WebServer(Program& program, WebUserInterface& ui, WebServerOptions options)
    : options_(std::move(options)),
      feed_([&program] { return program.Snapshot(); }, options_.feedPeriod, options_.maxStreams),
      logins_(options_.passwordHash, options_.failedLoginDelay),
      context_{program,
               ui,
               feed_,
               logins_,
               options_,
               RandomToken(),
               !options_.tlsCert.empty() && !options_.tlsKey.empty()} {
  ui.SetListeners(
      [this] {
        nlohmann::json boxes = nlohmann::json::array();
        for (const WebBox& box : context_.ui.Waiting()) boxes.push_back(BoxJson(box));
        feed_.PublishBoxes(std::move(boxes));
      },
      [this] { feed_.PublishBeep(); });
  if (context_.tls) {
    http_ = std::make_unique<httplib::SSLServer>(options_.tlsCert.c_str(), options_.tlsKey.c_str());
  } else {
    http_ = std::make_unique<httplib::Server>();
  }
  int threads = options_.maxStreams + kSpareThreads;
  http_->new_task_queue = [threads] { return new httplib::ThreadPool(static_cast<size_t>(threads)); };
  http_->set_payload_max_length(options_.maxBodyBytes);
  http_->set_read_timeout(options_.ioTimeout.count(), 0);
  http_->set_write_timeout(options_.ioTimeout.count(), 0);
  http_->set_keep_alive_timeout(kKeepAliveSeconds);
  http_->set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
    return Admitted(req, res) ? httplib::Server::HandlerResponse::Unhandled
                              : httplib::Server::HandlerResponse::Handled;
  });
  http_->set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
    ReplyError(res, 500, "the request could not be handled");
  });
  for (const Route& route : Routes()) Register(route);
}

WebServer::~WebServer() { End(); }

bool WebServer::Bind(std::string* error) {
  if (!http_->is_valid()) {
    *error =
        "the TLS certificate or key cannot be loaded (" + options_.tlsCert + ", " + options_.tlsKey + ")";
    return false;
  }
  const ListenAddress& listen = options_.listen;
  if (listen.port == 0) {
    port_ = http_->bind_to_any_port(listen.host);
  } else {
    port_ = http_->bind_to_port(listen.host, listen.port) ? listen.port : -1;
  }
  if (port_ <= 0) {
    *error = "cannot listen on " + listen.host + ":" + std::to_string(listen.port) +
             ": the port is in use, or the address is not one of this machine's";
    return false;
  }
  return true;
}

void WebServer::Start() {
  feed_.Start();
  thread_ = std::thread([this] { http_->listen_after_bind(); });
}

void WebServer::End() {
  if (ended_) return;
  ended_ = true;
  feed_.End();
  // Open pages get the "ended" event before the connections close.
  auto deadline = std::chrono::steady_clock::now() + kStreamsClosing;
  while (feed_.OpenStreams() > 0 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  http_->stop();
  if (thread_.joinable()) thread_.join();
}

std::string WebServer::Address() const {
  std::string host = options_.listen.host;
  if (host == "0.0.0.0") host = "127.0.0.1";
  return std::string(context_.tls ? "https://" : "http://") + host + ":" + std::to_string(port_) + "/";
}

void WebServer::Register(const Route& route) {
  auto handler = [this, route](const httplib::Request& req, httplib::Response& res) {
    if (route.access != Access::kOpen && logins_.Required() && !LoggedIn(req)) {
      if (req.method == "GET" && req.path == "/") {
        res.set_redirect("/login", 303);
      } else {
        ReplyError(res, 401, "log in first, at /login");
      }
      return;
    }
    if (route.access == Access::kChange &&
        !SecretsEqual(req.get_header_value("X-Kelvora-Token"), context_.token)) {
      ReplyError(res, 403, "a change needs the page's token in the X-Kelvora-Token header");
      return;
    }
    route.handler(context_, req, res);
  };
  if (route.method == Method::kGet) {
    http_->Get(route.pattern, handler);
  } else {
    http_->Post(route.pattern, handler);
  }
}

bool WebServer::Admitted(const httplib::Request& req, httplib::Response& res) const {
  if (!HostAllowed(req.get_header_value("Host"), options_.listen, port_)) {
    ReplyError(res, 403,
               "this server answers only to " + options_.listen.host + ":" + std::to_string(port_) +
                   " or localhost:" + std::to_string(port_));
    return false;
  }
  if (CrossOrigin(req.get_header_value("Origin"), req.get_header_value("Sec-Fetch-Site"),
                  req.get_header_value("Host"), context_.tls)) {
    ReplyError(res, 403, "requests from another site's pages are refused");
    return false;
  }
  return true;
}

bool WebServer::LoggedIn(const httplib::Request& req) const {
  return logins_.Valid(CookieValue(req.get_header_value("Cookie"), kSessionCookie));
}

}  // namespace kelvora
