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
  res.set_header("X-Content-Type-Options", "nosniff");
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
  res.set_header("X-Content-Type-Options", "nosniff");
  res.set_content(std::string(asset->bytes), ContentType(req.path));
}

void ServeLoginPage(ServerContext& context, const httplib::Request&, httplib::Response& res) {
  ServeHtml(res, "/login.html", context.token);
}

void LogIn(ServerContext& context, const httplib::Request& req, httplib::Response& res) {
  if (!context.logins.Required()) {
    res.set_redirect("/", 303);
    return;
  }
  std::optional<std::string> session = context.logins.LogIn(req.get_param_value("password"));
  if (!session) {
    res.set_redirect("/login?failed=1", 303);
    return;
  }
  std::string cookie = std::string(kSessionCookie) + "=" + *session + "; Path=/; HttpOnly; SameSite=Strict";
  if (context.tls) cookie += "; Secure";
  res.set_header("Set-Cookie", cookie);
  res.set_redirect("/", 303);
}

}  // namespace kelvora
