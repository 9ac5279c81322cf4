#include "platform/user_interface.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace kelvora {
namespace {

// An Abort / Retry / Ignore box on a console over memory streams, as a
// terminal or a pipe would give it; what it answers and what it shows.
std::pair<BoxResult, std::string> Ask(std::string typed, bool interactive, int defaultButton = 0) {
  MessageBoxRequest box;
  box.caption = "SYSTEM ERROR";
  box.text = "A Severe error has occurred:\nfile busy";
  box.buttons = BoxButtons::kAbortRetryIgnore;
  box.defaultButton = defaultButton;
  char* shown = nullptr;
  size_t size = 0;
  std::FILE* in = fmemopen(typed.data(), typed.size() + 1, "r");
  std::FILE* err = open_memstream(&shown, &size);
  BoxResult answer = ConsoleUserInterface(in, stdout, err, interactive).ShowMessageBox(box);
  std::fclose(in);
  std::fclose(err);
  std::string text(shown, size);
  std::free(shown);
  return {answer, text};
}

TEST(ConsoleUserInterface, WithoutATerminalTheDefaultButtonAnswersAndTheBoxIsLogged) {
  auto [answer, shown] = Ask("", false);
  EXPECT_EQ(answer, BoxResult::kAbort);
  EXPECT_NE(shown.find("message box [SYSTEM ERROR] A Severe error has occurred: file busy -> Abort"),
            std::string::npos);
}

// Enter takes the default and nonsense asks again; a closed terminal takes the default.
TEST(ConsoleUserInterface, OnATerminalTheFirstLetterChoosesTheButton) {
  auto [retry, shown] = Ask("r\n", true);
  EXPECT_EQ(retry, BoxResult::kRetry);
  EXPECT_NE(shown.find("[Retry]"), std::string::npos);
  auto [abort, twice] = Ask("x\n\n", true);
  EXPECT_EQ(abort, BoxResult::kAbort);
  EXPECT_NE(twice.find("SYSTEM ERROR"), twice.rfind("SYSTEM ERROR"));
  EXPECT_EQ(Ask("", true, 2).first, BoxResult::kIgnore);
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
