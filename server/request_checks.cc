#include "server/request_checks.h"

#include <arpa/inet.h>
#include <sodium.h>

#include <charconv>
#include <limits>

#include <nlohmann/json.hpp>

#include "platform/user_interface.h"

namespace kelvora {
namespace {

constexpr int kMaxTicked = 64;

std::string_view HostPart(std::string_view hostPort, std::string_view* port) {
  size_t colon = hostPort.rfind(':');
  // "[::1]:8470": the colon inside the brackets is not the port's.
  if (colon == std::string_view::npos || hostPort.find(']', colon) != std::string_view::npos) {
    *port = {};
    return hostPort;
  }
  *port = hostPort.substr(colon + 1);
  return hostPort.substr(0, colon);
}

std::string_view Unbracketed(std::string_view host) {
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') return host.substr(1, host.size() - 2);
  return host;
}

bool ParsePort(std::string_view text, int* port) {
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *port);
  return error == std::errc() && end == text.data() + text.size() && *port >= 0 && *port <= 65535;
}

std::optional<nlohmann::json> ParseObject(std::string_view body, std::string* error) {
  nlohmann::json json = nlohmann::json::parse(body, nullptr, /*allow_exceptions=*/false);
  if (json.is_discarded()) {
    *error = "the body is not valid JSON";
    return std::nullopt;
  }
  if (!json.is_object()) {
    *error = "the body must be a JSON object";
    return std::nullopt;
  }
  return json;
}

// A string field of at most `limit` characters (after conversion to the
// program's character set); every field must be there.
bool StringField(const nlohmann::json& object, const char* name, size_t limit, std::string* out,
                 std::string* error) {
  auto field = object.find(name);
  if (field == object.end() || !field->is_string()) {
    *error = std::string("\"") + name + "\" must be a string";
    return false;
  }
  *out = Utf8ToCp1252(field->get<std::string>());
  if (out->size() > limit) {
    *error = std::string("\"") + name + "\" holds at most " + std::to_string(limit) + " characters";
    return false;
  }
  return true;
}

}  // namespace

bool ParseListenAddress(std::string_view text, ListenAddress* address, std::string* error) {
  std::string_view port;
  std::string_view host = Unbracketed(HostPart(text, &port));
  in6_addr ignored;
  bool bareIpv6 = host.find(':') != std::string_view::npos;
  if (host.empty() || port.empty() || !ParsePort(port, &address->port) ||
      (bareIpv6 && ::inet_pton(AF_INET6, std::string(host).c_str(), &ignored) != 1)) {
    *error =
        "--listen wants HOST:PORT with a port from 0 to 65535 (an IPv6 address in brackets, as [::1]:8470), "
        "not \"" +
        std::string(text) + "\"";
    return false;
  }
  address->host = std::string(host);
  return true;
}

bool IsLoopbackHost(std::string_view host) {
  host = Unbracketed(host);
  std::string text(host);
  in_addr v4;
  in6_addr v6;
  if (::inet_pton(AF_INET, text.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
  if (::inet_pton(AF_INET6, text.c_str(), &v6) == 1) return IN6_IS_ADDR_LOOPBACK(&v6);
  return host == "localhost";
}

bool IsWildcardHost(std::string_view host) {
  host = Unbracketed(host);
  return host == "0.0.0.0" || host == "::";
}

std::string UrlHost(std::string_view host) {
  host = Unbracketed(host);
  return host.find(':') != std::string_view::npos ? "[" + std::string(host) + "]" : std::string(host);
}

bool HostAllowed(std::string_view hostHeader, const ListenAddress& listen, int boundPort) {
  std::string_view portText;
  std::string_view host = HostPart(hostHeader, &portText);
  int port = -1;
  if (!ParsePort(portText, &port) || port != boundPort || host.empty()) return false;
  if (IsWildcardHost(listen.host)) return true;
  if (UrlHost(host) == UrlHost(listen.host)) return true;
  // Every loopback name reaches the same machine; a name that only looks
  // like one (127.evil.example) is not among them.
  return IsLoopbackHost(listen.host) && (host == "localhost" || host == "127.0.0.1" || host == "[::1]");
}

bool CrossOrigin(std::string_view origin, std::string_view fetchSite, std::string_view hostHeader, bool tls) {
  if (fetchSite == "cross-site" || fetchSite == "same-site") return true;
  if (origin.empty()) return false;
  std::string self = std::string(tls ? "https://" : "http://") + std::string(hostHeader);
  return origin != self;
}

bool SecretsEqual(std::string_view a, std::string_view b) {
  return a.size() == b.size() && sodium_memcmp(a.data(), b.data(), a.size()) == 0;
}

Parsed<SlotEdit> ParseSlotEditBody(std::string_view body) {
  Parsed<SlotEdit> parsed;
  std::optional<nlohmann::json> json = ParseObject(body, &parsed.error);
  if (!json) return parsed;
  SlotEdit edit;
  // A name of any length reaches the program, which says what it takes; the
  // body's size bounds it.
  constexpr size_t kProgramNameLimit = std::numeric_limits<size_t>::max();
  if (StringField(*json, "program", kProgramNameLimit, &edit.program, &parsed.error) &&
      StringField(*json, "fromTime", kSlotTimeLength, &edit.fromTime, &parsed.error) &&
      StringField(*json, "toTime", kSlotTimeLength, &edit.toTime, &parsed.error) &&
      StringField(*json, "fromTemp", kSlotTempLength, &edit.fromTemp, &parsed.error) &&
      StringField(*json, "toTemp", kSlotTempLength, &edit.toTemp, &parsed.error)) {
    parsed.value = std::move(edit);
  }
  return parsed;
}

Parsed<std::vector<int>> ParseTickedSlotsBody(std::string_view body) {
  Parsed<std::vector<int>> parsed;
  std::optional<nlohmann::json> json = ParseObject(body, &parsed.error);
  if (!json) return parsed;
  auto slots = json->find("slots");
  if (slots == json->end() || !slots->is_array() || slots->size() > kMaxTicked) {
    parsed.error = "\"slots\" must be a list of at most " + std::to_string(kMaxTicked) + " slot numbers";
    return parsed;
  }
  std::vector<int> ticked;
  for (const nlohmann::json& slot : *slots) {
    if (!slot.is_number_integer() || slot.get<long long>() < 1 || slot.get<long long>() > kMaxDaySlots) {
      parsed.error = "\"slots\" holds slot numbers from 1 to " + std::to_string(kMaxDaySlots);
      return parsed;
    }
    ticked.push_back(slot.get<int>());
  }
  parsed.value = std::move(ticked);
  return parsed;
}

Parsed<std::string> ParseBoxAnswerBody(std::string_view body) {
  Parsed<std::string> parsed;
  std::optional<nlohmann::json> json = ParseObject(body, &parsed.error);
  if (!json) return parsed;
  auto button = json->find("button");
  if (button == json->end() || !button->is_string()) {
    parsed.error = "\"button\" must be a button's name, such as \"OK\"";
    return parsed;
  }
  parsed.value = button->get<std::string>();
  return parsed;
}

std::optional<int> ParseBoxId(std::string_view text) {
  int id = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
  if (error != std::errc() || end != text.data() + text.size() || id < 1) return std::nullopt;
  return id;
}

}  // namespace kelvora
