// What the C exports add to the C++ forms and a C program cannot check
// alone: text results kept per function and per thread. The exports' results
// are checked by the plain C program c_api_check.c.
#include "Functions/Screen.h"

#include <latch>
#include <string>
#include <thread>

#include "gtest/gtest.h"

namespace {

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

}  // namespace
