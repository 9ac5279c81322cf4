#include "Functions/Screen.h"

#include <cmath>
#include <cstring>
#include <ctime>
#include <latch>
#include <string>
#include <thread>

#include "gmock/gmock.h"
#include "gtest/gtest.h"

namespace {

using testing::MatchesRegex;

TEST(CExports, FormulasForwardTheirArgumentsInOrder) {
  EXPECT_EQ(RND(-1.25f, 1), -1.2f);
  EXPECT_EQ(RND(2.5f, -3), 3.0f);
  EXPECT_EQ(C2F_F2C(212, 1, 0), 100.0f);
  EXPECT_EQ(K2M_M2K(100, 0, 1), 62.1371f);
  EXPECT_EQ(WINDCHILL(-10, 4.9f), -10.0f);
  EXPECT_EQ(PCV(1), 0.6321203f);
  EXPECT_NEAR(KT(PCV(1)), 0.9999993f, 1e-7f);
  EXPECT_EQ(HEATING_PROJECT(2, 2, 3, 4), 3.0f);
  EXPECT_EQ(NUM_DATE("19/03/01"), 7032);
  EXPECT_EQ(JULIAN_07("20/03/01"), 244);
}

TEST(CExports, TextResultsAreZeroTerminated) {
  EXPECT_STREQ(F8_DATE("06-15-2019"), "19/06/15");
  EXPECT_STREQ(USING("+##.##", -0.004f), " -0.00");
}

TEST(CExports, NullTextReadsAsEmpty) {
  EXPECT_STREQ(F8_DATE(nullptr), "//");
  EXPECT_STREQ(USING(nullptr, 5), "");
  EXPECT_EQ(NUM_DATE(nullptr), 0);
  EXPECT_EQ(JULIAN_07(nullptr), 152);  // month 0 counts as five months after July
}

TEST(CExports, OverlongMaskIsReadAsItsFirst127Characters) {
  std::string mask(126, '-');
  mask += "#.##########";
  EXPECT_EQ(std::string(USING(mask.c_str(), 7)), std::string(125, '-') + " 7");
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

TEST(TextBuffers, EachFunctionKeepsItsOwnResult) {
  const char* date = F8_DATE("06-15-2019");
  USING("###.##", 21.5f);
  EXPECT_STREQ(date, "19/06/15");
}

TEST(TextBuffers, TwoThreadsGetIndependentResults) {
  // Both threads call first and read afterwards, so a shared buffer would
  // show one thread the other's text.
  std::latch bothCalled(2);
  std::string seen[2];
  const auto run = [&](int index, const char* mask, float value, const char* systemDate) {
    const char* number = USING(mask, value);
    const char* date = F8_DATE(systemDate);
    bothCalled.arrive_and_wait();
    seen[index] = std::string(number) + "|" + date;
  };
  std::thread first(run, 0, "###.##", 3.14159f, "06-15-2019");
  std::thread second(run, 1, "(##.##%)", 21.5f, "12-31-2099");
  first.join();
  second.join();
  EXPECT_EQ(seen[0], "  3.14|19/06/15");
  EXPECT_EQ(seen[1], "(21.50%)|99/12/31");
}

TEST(TestF8Date, PrintsBufferAddressThenDateAndReturnsRet) {
  testing::internal::CaptureStdout();
  const char* returned = TEST_F8_DATE("06-15-2019");
  const std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_STREQ(returned, " Ret");
  EXPECT_THAT(printed, MatchesRegex("[1-9][0-9]*19/06/15"));
}

TEST(TestF8Date, NullDatePrintsOnlyTheSlashes) {
  testing::internal::CaptureStdout();
  EXPECT_STREQ(TEST_F8_DATE(nullptr), " Ret");
  EXPECT_THAT(testing::internal::GetCapturedStdout(), MatchesRegex("[1-9][0-9]*//"));
}

class FieldTest : public testing::Test {
 protected:
  unsigned char record_[52] = {};
  unsigned char* field_ = record_;
};

TEST_F(FieldTest, BindsAViewIntoTheRecord) {
  EXPECT_EQ(FIELD(record_, 52, &field_, 4, 48), 0);
  EXPECT_EQ(field_, record_ + 48);
}

TEST_F(FieldTest, RefusesAViewReachingPastTheRecord) {
  EXPECT_EQ(FIELD(record_, 52, &field_, 4, 49), -1);
  EXPECT_EQ(field_, nullptr);
}

TEST_F(FieldTest, RefusesNegativeOffsetsAndMissingBuffers) {
  EXPECT_EQ(FIELD(record_, 52, &field_, 4, -1), -1);
  EXPECT_EQ(FIELD(nullptr, 52, &field_, 4, 0), -1);
  EXPECT_EQ(FIELD(record_, -5, &field_, 0, 0), -1);
  EXPECT_EQ(FIELD(record_, 52, nullptr, 4, 0), -1);
}

TEST(MbfExports, MksWritesTheFourBytes) {
  const float minusOne = -1.0f;
  unsigned char out[4] = {9, 9, 9, 9};
  MKS(&minusOne, out);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 4), std::string("\x00\x00\x80\x81", 4));
  MKS(nullptr, out);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 4), std::string("\x00\x00\x00\x02", 4));
}

TEST(MbfExports, CvsReadsOnlyCompleteSingles) {
  const unsigned char one[4] = {0x00, 0x00, 0x00, 0x81};
  EXPECT_EQ(CVS(one, 4), 1.0f);
  EXPECT_EQ(CVS(one, 3), 0.0f);
  EXPECT_EQ(CVS(one, -1), 0.0f);
  EXPECT_EQ(CVS(nullptr, 4), 0.0f);
}

}  // namespace
