// The checks before any route: addresses, Host names, origins, bodies.
#include "server/request_checks.h"

#include <gtest/gtest.h>

#include "platform/user_interface.h"

namespace kelvora {
namespace {

TEST(ListenAddressTest, TakesHostAndPortAndRefusesTheRest) {
  ListenAddress address;
  std::string error;
  EXPECT_TRUE(ParseListenAddress("0.0.0.0:9000", &address, &error));
  EXPECT_EQ(address.host, "0.0.0.0");
  EXPECT_EQ(address.port, 9000);
  for (const char* bad : {"8470", ":8470", "localhost:", "localhost:65536", "localhost:-1", "h:80x"}) {
    EXPECT_FALSE(ParseListenAddress(bad, &address, &error)) << bad;
    EXPECT_NE(error.find("HOST:PORT"), std::string::npos);
  }
}

TEST(HostCheckTest, OnlyTheListenedAddressOrLocalhostWithItsPort) {
  ListenAddress loopback{"127.0.0.1", 8470};
  EXPECT_TRUE(HostAllowed("127.0.0.1:8470", loopback, 8470));
  EXPECT_TRUE(HostAllowed("localhost:8470", loopback, 8470));
  EXPECT_FALSE(HostAllowed("127.0.0.1:8471", loopback, 8470));
  EXPECT_FALSE(HostAllowed("rebound.example:8470", loopback, 8470));
  EXPECT_FALSE(HostAllowed("127.0.0.1", loopback, 8470));
  EXPECT_FALSE(HostAllowed("", loopback, 8470));
  ListenAddress wildcard{"0.0.0.0", 8470};
  EXPECT_TRUE(HostAllowed("heating.lan:8470", wildcard, 8470));
  EXPECT_FALSE(HostAllowed("heating.lan:80", wildcard, 8470));
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
  EXPECT_EQ(edit.value->fromTemp,
            "21.5\xB0"
            "C");
  EXPECT_FALSE(
      ParseSlotEditBody(R"({"program":"A","fromTime":"","toTime":"","fromTemp":"12345678","toTemp":""})")
          .value);
  EXPECT_EQ(ParseTickedSlotsBody(R"({"slots":[1,3]})").value, (std::vector<int>{1, 3}));
  EXPECT_FALSE(ParseTickedSlotsBody(R"({"slots":[1.5]})").value);
  EXPECT_EQ(ParseBoxId("12"), 12);
  EXPECT_FALSE(ParseBoxId("0"));
  EXPECT_FALSE(ParseBoxId("1x"));
}

TEST(BodyTest, AProgramNameOfAnyLengthReachesTheProgramWhichSaysWhatItTakes) {
  const std::string name(120, 'W');
  Parsed<SlotEdit> edit = ParseSlotEditBody(R"({"program":")" + name +
                                            R"(","fromTime":"","toTime":"","fromTemp":"","toTemp":""})");
  ASSERT_TRUE(edit.value) << edit.error;
  EXPECT_EQ(edit.value->program, name);
}

TEST(CharacterSetTest, Utf8ToWindows1252AndBack) {
  std::string text = "\xE9\x80\x9F\xB0 ok";
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(text)), text);
  EXPECT_EQ(Utf8ToCp1252("\xE2\x98\x83"), "?");  // a snowman has no Windows-1252 byte
  EXPECT_EQ(Utf8ToCp1252("\xC3"), "?");          // a sequence cut short
}

}  // namespace
}  // namespace kelvora
