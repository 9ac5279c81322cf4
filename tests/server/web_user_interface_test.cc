// Message boxes for the page: who waits for them and who may answer. How a
// page's answer reaches a waiting choice is in server_test.cc.
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
  ~WebUserInterfaceTest() override { std::fclose(log_); }
  WebUserInterface::Options Options(std::chrono::milliseconds timeout = 10min, int terminal = -1) {
    return {timeout, log_, log_, terminal};
  }
  std::string Log() {
    std::string text(static_cast<size_t>(std::ftell(log_)), '\0');
    std::rewind(log_);
    text.resize(std::fread(text.data(), 1, text.size(), log_));
    return text;
  }

  std::FILE* log_ = std::tmpfile();
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
    for (int i = 0; i < 500 && ui.Waiting().empty(); ++i) std::this_thread::sleep_for(2ms);
    ASSERT_EQ(::write(pipeFds[1], "c\n", 2), 2);
    EXPECT_EQ(answer.get(), BoxResult::kCancel);
  }
  ::close(pipeFds[0]);
  ::close(pipeFds[1]);
}

}  // namespace
}  // namespace kelvora
