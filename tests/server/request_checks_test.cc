// The checks before any route: addresses, Host names (loopback as addresses
// and not as look-alike names), origins, bodies.
#include "server/request_checks.h"

#include <gtest/gtest.h>

#include "platform/user_interface.h"

namespace kelvora {
namespace {

TEST(ListenAddressTest, TakesHostAndPortIPv6InBracketsAndRefusesTheRest) {
  ListenAddress address;
  std::string error;
  ASSERT_TRUE(ParseListenAddress("0.0.0.0:9000", &address, &error));
  EXPECT_EQ(address.host + " " + std::to_string(address.port), "0.0.0.0 9000");
  ASSERT_TRUE(ParseListenAddress("[::1]:9000", &address, &error)) << error;
  EXPECT_EQ(address.host, "::1");
  EXPECT_EQ(UrlHost(address.host), "[::1]");
  EXPECT_EQ(UrlHost("127.0.0.1"), "127.0.0.1");
  for (const char* bad :
       {"8470", ":8470", "localhost:", "localhost:65536", "localhost:-1", "h:80x", "::x:9000"}) {
    EXPECT_FALSE(ParseListenAddress(bad, &address, &error)) << bad;
    EXPECT_NE(error.find("HOST:PORT"), std::string::npos) << bad;
  }
}

// Loopback as addresses and not as look-alike names.
TEST(LoopbackTest, OnlyLoopbackAddressesAndLocalhostCount) {
  for (const char* host : {"127.0.0.1", "127.1.2.3", "localhost", "::1", "[::1]"})
    EXPECT_TRUE(IsLoopbackHost(host)) << host;
  for (const char* host :
       {"127.evil.example", "127.0.0.1.nip.io", "128.0.0.1", "0.0.0.0", "::", "heating.lan"})
    EXPECT_FALSE(IsLoopbackHost(host)) << host;
}

// The listened address with its port, and every loopback name for a
// loopback listener; any name for a wildcard one.
TEST(HostCheckTest, OnlyTheListenedAddressOrALoopbackNameWithItsPort) {
  const struct {
    const char* listen;
    const char* header;
    bool allowed;
  } cases[] = {{"127.0.0.1", "127.0.0.1:8470", true},
               {"127.0.0.1", "localhost:8470", true},
               {"127.0.0.1", "[::1]:8470", true},
               {"::1", "[::1]:8470", true},
               {"::1", "localhost:8470", true},
               {"localhost", "127.0.0.1:8470", true},
               {"localhost", "localhost:8470", true},
               {"192.168.1.5", "192.168.1.5:8470", true},
               {"0.0.0.0", "heating.lan:8470", true},
               {"127.0.0.1", "127.0.0.1:8471", false},
               {"127.0.0.1", "rebound.example:8470", false},
               {"127.0.0.1", "127.0.0.1", false},
               {"127.0.0.1", "", false},
               {"127.0.0.1", "127.evil.example:8470", false},
               {"::1", "evil.example:8470", false},
               {"192.168.1.5", "localhost:8470", false},
               {"0.0.0.0", "heating.lan:80", false}};
  for (const auto& c : cases)
    EXPECT_EQ(HostAllowed(c.header, {c.listen, 8470}, 8470), c.allowed) << c.listen << " " << c.header;
}

TEST(CrossOriginTest, ForeignOriginsAndCrossSiteFetchesAreRefused) {
  EXPECT_FALSE(CrossOrigin("", "", "127.0.0.1:8470", false));
  EXPECT_FALSE(CrossOrigin("http://127.0.0.1:8470", "same-origin", "127.0.0.1:8470", false));
  EXPECT_TRUE(CrossOrigin("http://attacker.example", "", "127.0.0.1:8470", false));
  EXPECT_TRUE(CrossOrigin("http://127.0.0.1:8470", "", "127.0.0.1:8470", true));
  EXPECT_TRUE(CrossOrigin("", "cross-site", "127.0.0.1:8470", false));
}

TEST(BodyTest, SlotEditFieldsAreConvertedToTheProgramsCharacterSet) {
  Parsed<SlotEdit> edit = ParseSlotEditBody(
      R"({"program":"CONG\u00c9","fromTime":"","toTime":"07:00","fromTemp":"21.5\u00b0C","toTemp":""})");
  ASSERT_TRUE(edit.value) << edit.error;
  EXPECT_EQ(edit.value->program, "CONG\xC9");
  EXPECT_EQ(edit.value->fromTemp, "21.5\260C");
  EXPECT_FALSE(
      ParseSlotEditBody(R"({"program":"A","fromTime":"","toTime":"","fromTemp":"12345678","toTemp":""})")
          .value);
  EXPECT_EQ(ParseTickedSlotsBody(R"({"slots":[1,3]})").value, (std::vector<int>{1, 3}));
  EXPECT_FALSE(ParseTickedSlotsBody(R"({"slots":[1.5]})").value);
  EXPECT_EQ(ParseBoxId("12"), 12);
  EXPECT_FALSE(ParseBoxId("0"));
  EXPECT_FALSE(ParseBoxId("1x"));
}

TEST(CharacterSetTest, Utf8ToWindows1252AndBack) {
  std::string text = "\xE9\x80\x9F\xB0 ok";
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(text)), text);
  EXPECT_EQ(Utf8ToCp1252("\xE2\x98\x83"), "?");  // a snowman has no Windows-1252 byte
  EXPECT_EQ(Utf8ToCp1252("\xC3"), "?");          // a sequence cut short
}

}  // namespace
}  // namespace kelvora
