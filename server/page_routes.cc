#include "server/page_routes.h"

#include <algorithm>

#include "server/web_assets.h"

namespace kelvora {
namespace {

constexpr std::string_view kTokenMark = "{{KELVORA_TOKEN}}";

const WebAsset* FindAsset(std::string_view path) {
  const std::vector<WebAsset>& assets = WebAssets();
  auto found = std::find_if(assets.begin(), assets.end(), [&](const WebAsset& a) { return a.path == path; });
  return found == assets.end() ? nullptr : &*found;
}

const char* ContentType(std::string_view path) {
  if (path.ends_with(".js")) return "text/javascript; charset=utf-8";
  if (path.ends_with(".css")) return "text/css; charset=utf-8";
  if (path.ends_with(".svg")) return "image/svg+xml";
  return "text/html; charset=utf-8";
}

void ServeHtml(httplib::Response& res, std::string_view path, const std::string& token) {
  const WebAsset* asset = FindAsset(path);
  if (asset == nullptr) {
    ReplyError(res, 500, "the page is missing from this build");
    return;
  }
  std::string html(asset->bytes);
  size_t mark = html.find(kTokenMark);
  if (mark != std::string::npos) html.replace(mark, kTokenMark.size(), token);
  res.set_header("Cache-Control", "no-store");
  // Scripts only from here; no inline script, no frames of this page elsewhere.
  res.set_header("Content-Security-Policy",
                 "default-src 'self'; script-src 'self'; style-src 'self'; frame-ancestors 'none'; "
                 "form-action 'self'; base-uri 'none'");
  res.set_content(html, "text/html; charset=utf-8");
}

}  // namespace

void ServeMainPage(ServerContext& context, const httplib::Request&, httplib::Response& res) {
  ServeHtml(res, "/index.html", context.token);
}

void ServeAsset(ServerContext&, const httplib::Request& req, httplib::Response& res) {
  const WebAsset* asset = FindAsset(req.path);
  if (asset == nullptr) {
    ReplyError(res, 404, "no such file: " + req.path);
    return;
  }
  res.set_header("Cache-Control", "no-cache");
  res.set_content(std::string(asset->bytes), ContentType(req.path));
}

namespace {

void LoginPage(ServerContext& context, httplib::Response& res, const std::string& message) {
  ServeHtml(res, "/login.html", context.token);
  if (message.empty()) return;
  std::string html = res.body;
  constexpr std::string_view kMark = "<!--FAILED-->";
  size_t mark = html.find(kMark);
  if (mark != std::string::npos)
    html.replace(mark, kMark.size(), "<p class=\"failed\" role=\"alert\">" + message + "</p>");
  res.set_content(html, "text/html; charset=utf-8");
}

std::string WaitText(std::chrono::seconds wait) {
  return std::to_string(wait.count()) + (wait.count() == 1 ? " second" : " seconds");
}

// A password in the address would land in logs and histories.
bool PasswordInAddress(const httplib::Request& req) {
  size_t query = req.target.find('?');
  if (query == std::string::npos) return false;
  httplib::Params params;
  httplib::detail::parse_query_text(req.target.substr(query + 1), params);
  return params.count("password") > 0;
}

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

std::string SessionCookie(const httplib::Request& req) {
  return CookieValue(req.get_header_value("Cookie"), kSessionCookie);
}

void ServeLoginPage(ServerContext& context, const httplib::Request& req, httplib::Response& res) {
  LoginPage(context, res, req.has_param("failed") ? "Wrong password; try again." : "");
}

void LogIn(ServerContext& context, const httplib::Request& req, httplib::Response& res) {
  if (!context.logins.Required()) {
    res.set_redirect("/", 303);
    return;
  }
  if (PasswordInAddress(req)) {
    ReplyError(res, 400, "the password goes in the form's body, never in the address");
    return;
  }
  httplib::Params form;
  httplib::detail::parse_query_text(req.body, form);
  auto password = form.find("password");
  LoginOutcome outcome =
      context.logins.LogIn(req.remote_addr, password == form.end() ? std::string() : password->second);
  if (outcome.tooSoon) {
    LoginPage(context, res,
              "Too many wrong passwords: wait " + WaitText(outcome.retryAfter) + ", then try again.");
    res.status = 429;
    res.set_header("Retry-After", std::to_string(outcome.retryAfter.count()));
    return;
  }
  if (!outcome.session) {
    res.set_redirect("/login?failed=1", 303);
    res.set_header("Retry-After", std::to_string(outcome.retryAfter.count()));
    return;
  }
  std::string cookie =
      std::string(kSessionCookie) + "=" + *outcome.session + "; Path=/; HttpOnly; SameSite=Strict";
  if (context.tls) cookie += "; Secure";
  res.set_header("Set-Cookie", cookie);
  res.set_redirect("/", 303);
}

void LogOut(ServerContext& context, const httplib::Request& req, httplib::Response& res) {
  context.logins.LogOut(SessionCookie(req));
  std::string cookie = std::string(kSessionCookie) + "=; Path=/; Max-Age=0; HttpOnly; SameSite=Strict";
  if (context.tls) cookie += "; Secure";
  res.set_header("Set-Cookie", cookie);
  ReplyJson(res, 200, {{"ok", true}});
}

}  // namespace kelvora
