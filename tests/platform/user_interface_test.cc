#include "platform/user_interface.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace kelvora {
namespace {

// A console over memory streams, as a terminal or a pipe would give it.
class ConsoleFixture : public ::testing::Test {
 protected:
  ~ConsoleFixture() override {
    for (std::FILE* f : {in, out, err}) {
      if (f != nullptr) std::fclose(f);
    }
    std::free(outBuffer);
    std::free(errBuffer);
  }
  ConsoleUserInterface Make(const std::string& typed, bool interactive) {
    input = typed;
    in = fmemopen(input.data(), input.size() + 1, "r");
    out = open_memstream(&outBuffer, &outSize);
    err = open_memstream(&errBuffer, &errSize);
    return ConsoleUserInterface(in, out, err, interactive);
  }
  std::string Err() {
    std::fflush(err);
    return std::string(errBuffer, errSize);
  }

  std::string input;
  std::FILE* in = nullptr;
  std::FILE* out = nullptr;
  std::FILE* err = nullptr;
  char* outBuffer = nullptr;
  char* errBuffer = nullptr;
  size_t outSize = 0, errSize = 0;
};

MessageBoxRequest RetryBox() {
  MessageBoxRequest box;
  box.caption = "SYSTEM ERROR";
  box.text = "A Severe error has occurred:\nfile busy";
  box.buttons = BoxButtons::kAbortRetryIgnore;
  box.defaultButton = 0;
  return box;
}

TEST_F(ConsoleFixture, WithoutATerminalTheDefaultButtonAnswersAndTheBoxIsLogged) {
  ConsoleUserInterface ui = Make("", false);
  EXPECT_EQ(ui.ShowMessageBox(RetryBox()), BoxResult::kAbort);
  EXPECT_NE(Err().find("message box [SYSTEM ERROR] A Severe error has occurred: file busy -> Abort"),
            std::string::npos);
}

TEST_F(ConsoleFixture, OnATerminalTheFirstLetterChoosesTheButton) {
  ConsoleUserInterface ui = Make("r\n", true);
  EXPECT_EQ(ui.ShowMessageBox(RetryBox()), BoxResult::kRetry);
  EXPECT_NE(Err().find("[Retry]"), std::string::npos);
}

TEST_F(ConsoleFixture, OnATerminalEnterTakesTheDefaultAndNonsenseAsksAgain) {
  ConsoleUserInterface ui = Make("x\n\n", true);
  EXPECT_EQ(ui.ShowMessageBox(RetryBox()), BoxResult::kAbort);
  std::string shown = Err();
  EXPECT_NE(shown.find("SYSTEM ERROR"), shown.rfind("SYSTEM ERROR"));  // shown twice
}

TEST_F(ConsoleFixture, AClosedTerminalTakesTheDefault) {
  ConsoleUserInterface ui = Make("", true);
  MessageBoxRequest box = RetryBox();
  box.defaultButton = 2;
  EXPECT_EQ(ui.ShowMessageBox(box), BoxResult::kIgnore);
}

TEST(MessageBoxes, DefaultButtonOutsideTheSetFallsBackToTheFirst) {
  MessageBoxRequest box;
  box.buttons = BoxButtons::kYesNo;
  box.defaultButton = 7;
  EXPECT_EQ(DefaultAnswer(box), BoxResult::kYes);
}

TEST(Cp1252, DegreeSignAndEuroBecomeUtf8) {
  EXPECT_EQ(Cp1252ToUtf8("21.50\260C"), "21.50\302\260C");
  EXPECT_EQ(Cp1252ToUtf8("\200"), "\342\202\254");
  EXPECT_EQ(Cp1252ToUtf8("Fran\347ais"), "Fran\303\247ais");
}

}  // namespace
}  // namespace kelvora
