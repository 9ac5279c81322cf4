// Message boxes for the page: who waits for them and who may answer.
#include "server/web_user_interface.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <future>
#include <thread>

namespace kelvora {
namespace {

using namespace std::chrono_literals;

MessageBoxRequest Box(BoxButtons buttons, int defaultButton = 0) {
  MessageBoxRequest box;
  box.caption = "SYSTEM ERROR";
  box.text = "Retry?\r\nOr not.";
  box.icon = BoxIcon::kStop;
  box.buttons = buttons;
  box.defaultButton = defaultButton;
  return box;
}

class WebUserInterfaceTest : public ::testing::Test {
 protected:
  WebUserInterfaceTest() : log_(std::tmpfile()) {}
  ~WebUserInterfaceTest() override { std::fclose(log_); }

  WebUserInterface::Options Options(std::chrono::milliseconds timeout = 10min, int terminal = -1) {
    return {timeout, log_, log_, terminal};
  }
  std::string Log() {
    std::fflush(log_);
    std::rewind(log_);
    std::string text;
    for (int c; (c = std::fgetc(log_)) != EOF;) text += static_cast<char>(c);
    return text;
  }
  // Waits for the first waiting choice and returns its id.
  static int WaitingChoice(const WebUserInterface& ui) {
    for (int i = 0; i < 500; ++i) {
      for (const WebBox& box : ui.Waiting()) {
        if (box.holds && !box.answer) return box.id;
      }
      std::this_thread::sleep_for(2ms);
    }
    return 0;
  }

  std::FILE* log_;
};

TEST_F(WebUserInterfaceTest, OkOnlyBoxInformsWithoutHoldingAndStaysShownUntilClosed) {
  WebUserInterface ui(Options());
  int changes = 0;
  ui.SetListeners([&] { ++changes; }, {});
  EXPECT_EQ(ui.ShowMessageBox(Box(BoxButtons::kOk)), BoxResult::kOk);
  ASSERT_EQ(ui.Waiting().size(), 1u);
  EXPECT_EQ(BoxJson(ui.Waiting()[0])["text"], "Retry?\nOr not.");
  EXPECT_NE(Log().find("[SYSTEM ERROR] Retry? Or not. shown"), std::string::npos);
  EXPECT_EQ(ui.Answer(ui.Waiting()[0].id, "OK"), AnswerOutcome::kAnswered);
  EXPECT_TRUE(ui.Waiting().empty());
  EXPECT_EQ(changes, 2);
}

TEST_F(WebUserInterfaceTest, UnansweredChoiceTakesItsDefaultAfterTheTimeoutAndSaysSo) {
  WebUserInterface ui(Options(30ms));
  EXPECT_EQ(ui.ShowMessageBox(Box(BoxButtons::kYesNo, 1)), BoxResult::kNo);
  EXPECT_TRUE(ui.Waiting().empty());
  EXPECT_NE(Log().find("had no answer in time, taking its default: No"), std::string::npos);
}

TEST_F(WebUserInterfaceTest, TerminalAnswersByFirstLetter) {
  int pipeFds[2];
  ASSERT_EQ(::pipe(pipeFds), 0);
  {
    WebUserInterface ui(Options(10min, pipeFds[0]));
    auto answer =
        std::async(std::launch::async, [&] { return ui.ShowMessageBox(Box(BoxButtons::kRetryCancel)); });
    ASSERT_NE(WaitingChoice(ui), 0);
    ASSERT_EQ(::write(pipeFds[1], "c\n", 2), 2);
    EXPECT_EQ(answer.get(), BoxResult::kCancel);
  }
  ::close(pipeFds[0]);
  ::close(pipeFds[1]);
}

}  // namespace
}  // namespace kelvora
