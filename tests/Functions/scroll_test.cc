#include "Functions/scroll.h"

#include <deque>

#include "gtest/gtest.h"

namespace kelvora {
namespace {

// A console whose keys are scripted and whose clock moves only when slept.
struct FakeConsole : ScrollConsole {
  std::string KeyNoWait() override { return Next(pending); }
  std::string WaitKey() override { return Next(waited); }
  void Clear() override {
    ++clears;
    row = column = 1;
  }
  int CursorRow() override { return row; }
  int CursorColumn() override { return column; }
  void Write(const std::string& text) override {
    written += text;
    column += static_cast<int>(text.size());
  }
  void Locate(int r, int c) override { row = r, column = c; }
  float Seconds() override { return now; }
  void Sleep(float seconds) override { now += seconds; }
  static std::string Next(std::deque<std::string>& keys) {
    std::string key = keys.empty() ? "" : keys.front();
    if (!keys.empty()) keys.pop_front();
    return key;
  }

  std::deque<std::string> pending, waited;
  std::string written;
  int clears = 0, row = 1, column = 1;
  float now = 1000;
};

TEST(Scroll, ADigitSetsThePaceAndLaterCallsWaitNineMinusIt) {
  FakeConsole console;
  ScrollPacer pacer;
  console.pending = {"5"};
  pacer.Scroll(console);
  EXPECT_EQ(pacer.Pace(), 5);
  EXPECT_FLOAT_EQ(console.now, 1000);  // the call that reads the key does not wait
  pacer.Scroll(console);
  EXPECT_NEAR(console.now, 1003.5f, 0.06f);  // four seconds, rounded
  console.pending = {"0"};
  console.waited = {"9"};
  pacer.Scroll(console);
  EXPECT_EQ(pacer.Pace(), 9);
  EXPECT_EQ(pacer.LastKey(), "9");
}

TEST(Scroll, AnyOtherKeyLeadsToPageModeThatStopsOnlyOnRow25) {
  FakeConsole console;
  ScrollPacer pacer;
  console.pending = {"x"};
  pacer.Scroll(console);
  EXPECT_EQ(pacer.Pace(), 0);
  pacer.Scroll(console);  // pace 0 turns into page mode and clears the console
  EXPECT_EQ(pacer.Pace(), kPageMode);
  EXPECT_EQ(console.clears, 1);
  console.row = 24;
  pacer.Scroll(console);
  EXPECT_EQ(console.written, "");
  console.Locate(25, 3);
  console.waited = {"\n"};
  pacer.Scroll(console);
  EXPECT_EQ(console.written, std::string(12, ' ') + "<Appuyez sur n'importe quelle touche pour continuer>" +
                                 std::string(80, ' '));
  EXPECT_EQ(std::make_pair(console.row, console.column), std::make_pair(25, 1));
  EXPECT_EQ(pacer.Pace(), 0);
}

}  // namespace
}  // namespace kelvora
