// The checks every request passes before it reaches a route: which Host it
// names, where it comes from, whether it carries the page's token, and the
// JSON bodies the routes take, read into plain values with a clear message
// for anything malformed. Pure functions, so they are fuzzed and tested
// without a socket.
#ifndef KELVORA_SERVER_REQUEST_CHECKS_H_
#define KELVORA_SERVER_REQUEST_CHECKS_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Monitor/ui/slot_edit.h"

namespace kelvora {

struct ListenAddress {
  std::string host = "127.0.0.1";
  int port = 8470;
};

// "HOST:PORT" (an IPv4 address, an IPv6 address in brackets or a name, a
// port from 0 to 65535; 0 picks a free one). The host is kept without
// brackets. False with `error` set otherwise.
bool ParseListenAddress(std::string_view text, ListenAddress* address, std::string* error);
// This machine's own addresses: localhost, 127.0.0.0/8 and ::1, written as
// addresses, not names that merely begin like one.
bool IsLoopbackHost(std::string_view host);
bool IsWildcardHost(std::string_view host);
// A host as it stands in a URL or a Host header: IPv6 in brackets.
std::string UrlHost(std::string_view host);

// DNS rebinding: a page served under another name must not reach us. The
// Host header must name the address listened on, with its port; on a
// loopback address any loopback name does (localhost, 127.0.0.1, [::1]). A
// wildcard address (0.0.0.0) takes any name, since only logged-in requests
// pass there.
bool HostAllowed(std::string_view hostHeader, const ListenAddress& listen, int boundPort);
// A request from a page of another origin: an Origin header that is not
// this server, or a browser's "Sec-Fetch-Site: cross-site".
bool CrossOrigin(std::string_view origin, std::string_view fetchSite, std::string_view hostHeader, bool tls);
// Compares two secrets in a time that does not depend on where they differ.
bool SecretsEqual(std::string_view a, std::string_view b);

// A body's fields, or the message saying what is wrong with it.
template <typename T>
struct Parsed {
  std::optional<T> value;
  std::string error;
};

Parsed<SlotEdit> ParseSlotEditBody(std::string_view body);
Parsed<std::vector<int>> ParseTickedSlotsBody(std::string_view body);
Parsed<std::string> ParseBoxAnswerBody(std::string_view body);
// "/api/boxes/{id}": the id, when it is a plain positive number.
std::optional<int> ParseBoxId(std::string_view text);

}  // namespace kelvora

#endif  // KELVORA_SERVER_REQUEST_CHECKS_H_
