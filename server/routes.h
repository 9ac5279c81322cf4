// The server's routes, all in one table (routes.cc), so that the whole API
// reads at a glance.
#ifndef KELVORA_SERVER_ROUTES_H_
#define KELVORA_SERVER_ROUTES_H_

#include <vector>

#include "server/server_context.h"

namespace kelvora {

enum class Method { kGet, kPost };

// Who may call a route. The Host and cross-origin checks come first for
// every request; then, when a password is set, the login.
enum class Access {
  kOpen,    // the login form and what it needs
  kRead,    // reads: a login when one is required
  kChange,  // state changes: a login when required, and the page's token
};

using RouteHandler = void (*)(ServerContext& context, const httplib::Request& req, httplib::Response& res);

struct Route {
  Method method;
  const char* pattern;  // a regular expression over the whole path
  Access access;
  RouteHandler handler;
};

const std::vector<Route>& Routes();

}  // namespace kelvora

#endif  // KELVORA_SERVER_ROUTES_H_
