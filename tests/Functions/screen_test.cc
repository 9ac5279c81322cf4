#include "Functions/Screen.h"

#include <ctime>
#include <latch>
#include <string>
#include <thread>

#include "gmock/gmock.h"
#include "gtest/gtest.h"

namespace {

using testing::MatchesRegex;

std::string FourBytes(const void* bytes) { return std::string(static_cast<const char*>(bytes), 4); }

TEST(CExports, FormulasForwardTheirArgumentsInOrder) {
  EXPECT_EQ(RND(-1.25f, 1), -1.2f);
  EXPECT_EQ(C2F_F2C(212, 1, 0), 100.0f);
  EXPECT_EQ(K2M_M2K(100, 0, 1), 62.1371f);
  EXPECT_EQ(WINDCHILL(-10, 4.9f), -10.0f);
  EXPECT_NEAR(KT(PCV(1)), 0.9999993f, 1e-7f);
  EXPECT_EQ(HEATING_PROJECT(2, 2, 3, 4), 3.0f);
  EXPECT_EQ(NUM_DATE("19/03/01"), 7032);
  EXPECT_EQ(JULIAN_07("20/03/01"), 244);
}

TEST(CExports, NullArgumentsReadAsEmptyTextOrZero) {
  unsigned char bytes[4] = {9, 9, 9, 9};
  EXPECT_STREQ(F8_DATE(nullptr), "//");
  EXPECT_STREQ(USING(nullptr, 5), "");
  EXPECT_EQ(NUM_DATE(nullptr), 0);
  EXPECT_EQ(JULIAN_07(nullptr), 152);  // month 0 counts as five months after July
  EXPECT_EQ(CVS(nullptr, 4), 0.0f);
  MKS(nullptr, bytes);
  EXPECT_EQ(FourBytes(bytes), std::string("\x00\x00\x00\x02", 4));
}

TEST(CExports, TimeSecFollowsTheLocalClock) {
  const auto localSeconds = [] {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
  };
  const int before = localSeconds();
  const float seconds = TIME_SEC();
  const int after = localSeconds();
  if (after < before) GTEST_SKIP() << "midnight passed during the test";
  EXPECT_GE(seconds, static_cast<float>(before));
  EXPECT_LE(seconds, static_cast<float>(after));
}

TEST(TextBuffers, EachFunctionAndThreadKeepsItsOwnResult) {
  // Both threads call both functions before reading either result, so a buffer
  // shared between functions or threads would show one text in place of another.
  std::latch bothCalled(2);
  const auto run = [&](const char* mask, float value, const char* systemDate, const std::string& expected) {
    const char* number = USING(mask, value);
    const char* date = F8_DATE(systemDate);
    bothCalled.arrive_and_wait();
    EXPECT_EQ(std::string(number) + "|" + date, expected);
  };
  std::thread first(run, "###.##", 3.14159f, "06-15-2019", "  3.14|19/06/15");
  std::thread second(run, "(##.##%)", 21.5f, "12-31-2099", "(21.50%)|99/12/31");
  first.join();
  second.join();
}

TEST(TestF8Date, PrintsBufferAddressThenDateAndReturnsRet) {
  testing::internal::CaptureStdout();
  EXPECT_STREQ(TEST_F8_DATE("06-15-2019"), " Ret");
  EXPECT_STREQ(TEST_F8_DATE(nullptr), " Ret");
  EXPECT_THAT(testing::internal::GetCapturedStdout(), MatchesRegex("[1-9][0-9]*19/06/15[1-9][0-9]*//"));
}

TEST(Field, BindsAViewOnlyInsideAnExistingRecord) {
  unsigned char record[52] = {};
  unsigned char* field = nullptr;
  EXPECT_EQ(FIELD(record, 52, &field, 4, 48), 0);
  EXPECT_EQ(field, record + 48);
  EXPECT_EQ(FIELD(record, 52, &field, 4, 49), -1);
  EXPECT_EQ(field, nullptr);
  EXPECT_EQ(FIELD(record, 52, &field, 4, -1), -1);
  EXPECT_EQ(FIELD(nullptr, 52, &field, 4, 0), -1);
  EXPECT_EQ(FIELD(record, -5, &field, 0, 0), -1);
  EXPECT_EQ(FIELD(record, 52, nullptr, 4, 0), -1);
}

TEST(MbfExports, MksAndCvsUseTheCallersBytes) {
  const float minusOne = -1.0f;
  unsigned char bytes[4] = {};
  MKS(&minusOne, bytes);
  EXPECT_EQ(FourBytes(bytes), std::string("\x00\x00\x80\x81", 4));
  EXPECT_EQ(CVS(bytes, 4), -1.0f);
  EXPECT_EQ(CVS(bytes, -1), 0.0f);
}

}  // namespace
