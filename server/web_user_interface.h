// Message boxes for the web page. A box with only an OK button informs: it is
// written to the terminal, logged and shown on every page, and the program
// goes on at once. A box with a choice holds the calling (control) thread
// until a page or the person at the terminal answers, the first answer
// winning, or until the answer timeout takes its default button.
#ifndef KELVORA_SERVER_WEB_USER_INTERFACE_H_
#define KELVORA_SERVER_WEB_USER_INTERFACE_H_

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/user_interface.h"

namespace kelvora {

struct WebBox {
  int id = 0;
  MessageBoxRequest request;
  bool holds = false;  // a choice the program waits for
  std::optional<BoxResult> answer;
};

// The box as the page and the API show it: id, caption, text, icon,
// buttons (named as the platform names them), default, holds.
nlohmann::json BoxJson(const WebBox& box);

enum class AnswerOutcome { kAnswered, kNoSuchBox, kNotAButton };

class WebUserInterface final : public UserInterface {
 public:
  struct Options {
    std::chrono::milliseconds answerTimeout = std::chrono::minutes(10);
    std::FILE* out = stdout;  // console text
    std::FILE* err = stderr;  // box log and prompts
    int terminalFd = -1;      // read for answers when >= 0 (an interactive terminal)
  };
  explicit WebUserInterface(Options options);
  ~WebUserInterface() override;
  WebUserInterface(const WebUserInterface&) = delete;
  WebUserInterface& operator=(const WebUserInterface&) = delete;

  BoxResult ShowMessageBox(const MessageBoxRequest& request) override;
  void Beep() override;
  void ConsoleWrite(std::string_view text) override;

  // Called (on the thread that changed them) when the waiting boxes change
  // or a beep sounds; set once, before the program runs.
  void SetListeners(std::function<void()> boxesChanged, std::function<void()> beeped);

  // The boxes a page shows now: every waiting choice and the informing boxes
  // nobody has closed yet, oldest first.
  std::vector<WebBox> Waiting() const;
  // Any thread: answers box `id` with the button named `button` ("OK", "Retry", ...).
  AnswerOutcome Answer(int id, std::string_view button);
  // The identifier of the newest box so far (0 before the first).
  int LastBoxId() const;
  // The boxes raised after box `afterId`, answered or not (the latest few are kept).
  std::vector<WebBox> RaisedSince(int afterId) const;

 private:
  void Remember(const WebBox& box);
  void Log(const WebBox& box, std::string_view how);
  void Notify();
  void ReadTerminal();
  void AnswerFromTerminal(std::string_view line);

  Options options_;
  mutable std::mutex mutex_;
  std::condition_variable answered_;
  int nextId_ = 0;
  std::deque<WebBox> waiting_;  // guarded by mutex_
  std::deque<WebBox> recent_;   // guarded by mutex_
  std::function<void()> boxesChanged_;
  std::function<void()> beeped_;
  bool stopping_ = false;
  std::thread terminal_;
};

}  // namespace kelvora

#endif  // KELVORA_SERVER_WEB_USER_INTERFACE_H_
