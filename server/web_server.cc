#include "server/web_server.h"

#include <csignal>

namespace kelvora {
namespace {

constexpr auto kStreamsClosing = std::chrono::seconds(1);
constexpr auto kAnswersFinishing = std::chrono::seconds(1);
// How long a closing connection still reads what its client sends, so the
// client reads the answer before the socket resets.
constexpr auto kLingerPatience = std::chrono::milliseconds(500);
constexpr size_t kLingerBytes = 256 * 1024;

const char* StatusMessage(int status) {
  switch (status) {
    case 400:
      return "the request is malformed";
    case 404:
      return "no such page or request";
    case 405:
      return "this request does not take that method";
    case 413:
      return "the body is larger than the server takes";
    case 414:
      return "the address is too long";
    default:
      return "the request could not be handled";
  }
}

bool Chunked(const httplib::Request& req) {
  return req.has_header("Transfer-Encoding") && req.get_header_value("Transfer-Encoding") == "chunked";
}

GateLimits Limits(const WebServerOptions& options) {
  GateLimits limits;
  limits.headTimeout = options.headTimeout;
  limits.maxConnections = options.maxConnections;
  limits.maxPerAddress = options.maxConnectionsPerAddress;
  return limits;
}

}  // namespace

// The HTTP library's request handling, run on a stream the gate prepared;
// the library's own listening and thread pool are not used.
class WebServer::Requests : public httplib::Server {
 public:
  // The library ends a streamed answer once its listening socket is gone;
  // ours belongs to the gate.
  void Serving(int listeningSocket) { svr_sock_ = listeningSocket; }
  void Process(httplib::Stream& stream) {
    bool closed = false;
    process_request(stream, /*close_connection=*/true, closed, nullptr);
  }
};

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
               !options_.tlsCert.empty() && !options_.tlsKey.empty()},
      requests_(std::make_unique<Requests>()),
      gate_(Limits(options_), nullptr,
            [this](std::unique_ptr<Connection> connection, std::string received, size_t headBytes) {
              Admit(std::move(connection), std::move(received), headBytes);
            }) {
  ui.SetListeners(
      [this] {
        nlohmann::json boxes = nlohmann::json::array();
        for (const WebBox& box : context_.ui.Waiting()) boxes.push_back(BoxJson(box));
        feed_.PublishBoxes(std::move(boxes));
      },
      [this] { feed_.PublishBeep(); });
  httplib::Headers always = {{"X-Content-Type-Options", "nosniff"}};
  if (context_.tls) always.emplace("Strict-Transport-Security", "max-age=31536000");
  requests_->set_default_headers(always);
  requests_->set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
    return Admitted(req, res) ? httplib::Server::HandlerResponse::Unhandled
                              : httplib::Server::HandlerResponse::Handled;
  });
  // A client that asks before sending its body hears the refusal first.
  requests_->set_expect_100_continue_handler([this](const httplib::Request& req, httplib::Response& res) {
    return Admitted(req, res) ? 100 : res.status;
  });
  // Every refusal says why, also those the HTTP library makes itself.
  requests_->set_error_handler(
      httplib::Server::HandlerWithResponse([](const httplib::Request&, httplib::Response& res) {
        if (!res.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
        ReplyError(res, res.status, StatusMessage(res.status));
        return httplib::Server::HandlerResponse::Handled;
      }));
  requests_->set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
    ReplyError(res, 500, "the request could not be handled");
  });
  for (const Route& route : Routes()) Register(route);
}

WebServer::~WebServer() { End(); }

bool WebServer::Bind(std::string* error) {
  if (context_.tls) {
    if (!tls_.Load(options_.tlsCert, options_.tlsKey, error)) return false;
    gate_.UseTls(tls_.Get());
  }
  return gate_.Bind(options_.listen.host, options_.listen.port, error);
}

void WebServer::Start() {
  // A client that hangs up mid-answer must not end the program.
  std::signal(SIGPIPE, SIG_IGN);
  feed_.Start();
  requests_->Serving(gate_.ListeningSocket());
  gate_.Start();
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
  requests_->Serving(INVALID_SOCKET);
  gate_.Stop();
  std::unique_lock<std::mutex> lock(servingMutex_);
  stopping_ = true;
  // Answers under way, such as the one to the Quit that ended the program,
  // get a moment to reach their clients; then every connection is cut.
  servingDone_.wait_for(lock, kAnswersFinishing, [this] { return serving_.empty(); });
  for (Connection* connection : serving_) connection->Abort();
  // Every wait of a request is bounded and its socket is cut, so this is short.
  servingDone_.wait(lock, [this] { return serving_.empty(); });
}

std::string WebServer::Address() const {
  std::string host = options_.listen.host;
  if (IsWildcardHost(host)) host = "127.0.0.1";
  return std::string(context_.tls ? "https://" : "http://") + UrlHost(host) + ":" + std::to_string(Port()) +
         "/";
}

void WebServer::Admit(std::unique_ptr<Connection> connection, std::string received, size_t headBytes) {
  {
    std::lock_guard<std::mutex> lock(servingMutex_);
    if (stopping_) {
      gate_.Release(connection->PeerAddress());
      return;
    }
    serving_.insert(connection.get());
  }
  // A thread per request: the gate has already bounded how many there are,
  // and no request waits for another.
  std::thread([this, connection = std::move(connection), received = std::move(received),
               headBytes]() mutable {
    Serve(*connection, std::move(received), headBytes);
    std::string peer = connection->PeerAddress();
    Connection* key = connection.get();
    connection.reset();
    gate_.Release(peer);
    std::lock_guard<std::mutex> lock(servingMutex_);
    serving_.erase(key);
    if (serving_.empty()) servingDone_.notify_all();
  }).detach();
}

void WebServer::Serve(Connection& connection, std::string received, size_t headBytes) {
  ConnectionStream stream(connection, std::move(received), headBytes,
                          {options_.maxBodyBytes, options_.ioTimeout});
  requests_->Process(stream);
  connection.Linger(kLingerPatience, kLingerBytes);
}

void WebServer::Register(const Route& route) {
  routes_.push_back({route, std::regex(route.pattern)});
  if (route.method == Method::kGet) {
    requests_->Get(route.pattern, [this, route](const httplib::Request& req, httplib::Response& res) {
      route.handler(context_, req, res);
    });
    return;
  }
  // Bodies are read here, after every check has passed, and never beyond
  // the limit, whatever their transfer coding.
  size_t limit = options_.maxBodyBytes;
  requests_->Post(route.pattern, [this, route, limit](const httplib::Request& req, httplib::Response& res,
                                                      const httplib::ContentReader& reader) {
    httplib::Request withBody = req;
    if (Chunked(req) || req.get_header_value<uint64_t>("Content-Length") > 0) {
      bool tooLarge = false;
      bool read = reader([&](const char* data, size_t length) {
        tooLarge = withBody.body.size() + length > limit;
        if (!tooLarge) withBody.body.append(data, length);
        return !tooLarge;
      });
      if (tooLarge)
        return ReplyError(res, 413, "the body is larger than " + std::to_string(limit) + " bytes");
      if (!read) return ReplyError(res, 400, "the body did not arrive whole in time");
    }
    route.handler(context_, withBody, res);
  });
}

bool WebServer::Admitted(const httplib::Request& req, httplib::Response& res) const {
  if (!HostAllowed(req.get_header_value("Host"), options_.listen, Port())) {
    ReplyError(res, 403,
               "this server answers only to " + UrlHost(options_.listen.host) + ":" + std::to_string(Port()) +
                   " or localhost:" + std::to_string(Port()));
    return false;
  }
  if (CrossOrigin(req.get_header_value("Origin"), req.get_header_value("Sec-Fetch-Site"),
                  req.get_header_value("Host"), context_.tls)) {
    ReplyError(res, 403, "requests from another site's pages are refused");
    return false;
  }
  return AllowedRoute(req, res) && BodyAllowed(req, res);
}

// The route's own rules: a login when one is required, the token for a change.
bool WebServer::AllowedRoute(const httplib::Request& req, httplib::Response& res) const {
  Method method = req.method == "POST" ? Method::kPost : Method::kGet;
  bool known = req.method == "GET" || req.method == "HEAD" || req.method == "POST";
  const Route* route = nullptr;
  bool otherMethod = false;
  for (const CompiledRoute& candidate : routes_) {
    if (!std::regex_match(req.path, candidate.pattern)) continue;
    if (known && candidate.route.method == method) route = &candidate.route;
    otherMethod = true;
  }
  if (route == nullptr) {
    ReplyError(res, otherMethod ? 405 : 404, otherMethod ? StatusMessage(405) : "no such page: " + req.path);
    return false;
  }
  if (route->access != Access::kOpen && logins_.Required() && !LoggedIn(req)) {
    if (method == Method::kGet && req.path == "/") {
      res.set_redirect("/login", 303);
    } else {
      ReplyError(res, 401, "log in first, at /login");
    }
    return false;
  }
  if (route->access == Access::kChange &&
      !SecretsEqual(req.get_header_value("X-Kelvora-Token"), context_.token)) {
    ReplyError(res, 403, "a change needs the page's token in the X-Kelvora-Token header");
    return false;
  }
  return true;
}

bool WebServer::BodyAllowed(const httplib::Request& req, httplib::Response& res) const {
  if (req.has_header("Transfer-Encoding") && !Chunked(req)) {
    ReplyError(res, 501, "only chunked bodies or a Content-Length are taken");
    return false;
  }
  if (req.get_header_value<uint64_t>("Content-Length") > options_.maxBodyBytes) {
    ReplyError(res, 413, "the body is larger than " + std::to_string(options_.maxBodyBytes) + " bytes");
    return false;
  }
  return true;
}

bool WebServer::LoggedIn(const httplib::Request& req) const { return logins_.Valid(SessionCookie(req)); }

}  // namespace kelvora
