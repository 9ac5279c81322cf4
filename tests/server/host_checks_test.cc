// Which names reach the server: loopback as addresses and not as look-alike
// names, IPv6 in brackets, and every loopback name for a loopback listener.
#include <gtest/gtest.h>

#include "server/request_checks.h"

namespace kelvora {
namespace {

TEST(LoopbackTest, OnlyLoopbackAddressesAndLocalhostCount) {
  struct Case {
    const char* host;
    bool loopback;
  } cases[] = {
      {"127.0.0.1", true},
      {"127.1.2.3", true},
      {"localhost", true},
      {"::1", true},
      {"[::1]", true},
      {"127.evil.example", false},
      {"127.0.0.1.nip.io", false},
      {"128.0.0.1", false},
      {"0.0.0.0", false},
      {"::", false},
      {"heating.lan", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsLoopbackHost(c.host), c.loopback) << c.host;
}

TEST(ListenAddressTest, IPv6IsTakenInBracketsAndShownInBrackets) {
  ListenAddress address;
  std::string error;
  ASSERT_TRUE(ParseListenAddress("[::1]:9000", &address, &error)) << error;
  EXPECT_EQ(address.host, "::1");
  EXPECT_EQ(address.port, 9000);
  EXPECT_EQ(UrlHost(address.host), "[::1]");
  EXPECT_EQ(UrlHost("127.0.0.1"), "127.0.0.1");
  EXPECT_FALSE(ParseListenAddress("::x:9000", &address, &error));
}

TEST(HostCheckTest, EveryLoopbackNameReachesALoopbackListener) {
  struct Case {
    const char* listen;
    const char* header;
    bool allowed;
  } cases[] = {
      {"::1", "[::1]:8470", true},
      {"::1", "localhost:8470", true},
      {"localhost", "127.0.0.1:8470", true},
      {"localhost", "localhost:8470", true},
      {"127.0.0.1", "[::1]:8470", true},
      {"127.0.0.1", "127.evil.example:8470", false},
      {"::1", "evil.example:8470", false},
      {"192.168.1.5", "192.168.1.5:8470", true},
      {"192.168.1.5", "localhost:8470", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HostAllowed(c.header, {c.listen, 8470}, 8470), c.allowed) << c.listen << " " << c.header;
  }
}

}  // namespace
}  // namespace kelvora
