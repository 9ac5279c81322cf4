// The page itself: the main window's HTML (with the per-process token), its
// scripts and styles, and the login form used when a password is set.
#ifndef KELVORA_SERVER_PAGE_ROUTES_H_
#define KELVORA_SERVER_PAGE_ROUTES_H_

#include "server/server_context.h"

namespace kelvora {

void ServeMainPage(ServerContext& context, const httplib::Request& req, httplib::Response& res);
void ServeAsset(ServerContext& context, const httplib::Request& req, httplib::Response& res);
void ServeLoginPage(ServerContext& context, const httplib::Request& req, httplib::Response& res);
// Form field "password" in the body; a session cookie and a redirect to the
// page, or the form again with the wait before the next try (429 while the
// client must still wait).
void LogIn(ServerContext& context, const httplib::Request& req, httplib::Response& res);
// Ends the request's session and clears its cookie.
void LogOut(ServerContext& context, const httplib::Request& req, httplib::Response& res);

inline constexpr const char* kSessionCookie = "kelvora_session";
// The session cookie the request carries, empty when none.
std::string SessionCookie(const httplib::Request& req);

}  // namespace kelvora

#endif  // KELVORA_SERVER_PAGE_ROUTES_H_
