#include "server/web_user_interface.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>

namespace kelvora {
namespace {

// Informing boxes wait for nobody; a page shows the latest few until closed.
constexpr size_t kMaxInformingShown = 8;
constexpr size_t kMaxRecent = 32;
constexpr int kTerminalPollMs = 200;

const char* IconName(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::kStop:
      return "stop";
    case BoxIcon::kQuestion:
      return "question";
    case BoxIcon::kExclamation:
      return "exclamation";
    case BoxIcon::kInformation:
      return "information";
    case BoxIcon::kNone:
      break;
  }
  return "none";
}

std::string OneLine(std::string text) {
  std::replace(text.begin(), text.end(), '\n', ' ');
  return text;
}

}  // namespace

nlohmann::json BoxJson(const WebBox& box) {
  nlohmann::json buttons = nlohmann::json::array();
  for (BoxResult button : ButtonsOf(box.request.buttons)) buttons.push_back(ButtonName(button));
  nlohmann::json out = {{"id", box.id},
                        {"caption", MessageLines(box.request.caption)},
                        {"text", MessageLines(box.request.text)},
                        {"icon", IconName(box.request.icon)},
                        {"buttons", buttons},
                        {"default", ButtonName(DefaultAnswer(box.request))},
                        {"holds", box.holds}};
  if (box.answer) out["answer"] = ButtonName(*box.answer);
  return out;
}

WebUserInterface::WebUserInterface(Options options) : options_(options) {
  if (options_.terminalFd >= 0) terminal_ = std::thread([this] { ReadTerminal(); });
}

WebUserInterface::~WebUserInterface() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  answered_.notify_all();
  if (terminal_.joinable()) terminal_.join();
}

void WebUserInterface::SetListeners(std::function<void()> boxesChanged, std::function<void()> beeped) {
  std::lock_guard<std::mutex> lock(mutex_);
  boxesChanged_ = std::move(boxesChanged);
  beeped_ = std::move(beeped);
}

BoxResult WebUserInterface::ShowMessageBox(const MessageBoxRequest& request) {
  std::unique_lock<std::mutex> lock(mutex_);
  WebBox box{++nextId_, request, ButtonsOf(request.buttons).size() > 1, std::nullopt};
  if (!box.holds) {
    // A controller restarted at night must not wait for a click to inform.
    box.answer = BoxResult::kOk;
    waiting_.push_back(box);
    if (std::count_if(waiting_.begin(), waiting_.end(), [](const WebBox& b) { return !b.holds; }) >
        static_cast<long>(kMaxInformingShown)) {
      waiting_.erase(
          std::find_if(waiting_.begin(), waiting_.end(), [](const WebBox& b) { return !b.holds; }));
    }
    Remember(box);
    Log(box, "shown");
    lock.unlock();
    Notify();
    return BoxResult::kOk;
  }
  waiting_.push_back(box);
  Remember(box);
  Log(box, "waits for an answer");
  if (options_.terminalFd >= 0) {
    std::string prompt = "  answer with";
    for (BoxResult button : ButtonsOf(request.buttons)) prompt += std::string(" ") + ButtonName(button);
    std::fprintf(options_.err, "%s (first letter, Enter for %s), or on the page\n", prompt.c_str(),
                 ButtonName(DefaultAnswer(request)));
    std::fflush(options_.err);
  }
  lock.unlock();
  Notify();
  lock.lock();
  auto isWaiting = [this, id = box.id] {
    return std::any_of(waiting_.begin(), waiting_.end(), [id](const WebBox& b) { return b.id == id; });
  };
  bool answeredInTime =
      answered_.wait_for(lock, options_.answerTimeout, [&] { return !isWaiting() || stopping_; });
  BoxResult answer = DefaultAnswer(request);
  auto recent = std::find_if(recent_.begin(), recent_.end(), [&](const WebBox& b) { return b.id == box.id; });
  if (answeredInTime && recent != recent_.end() && recent->answer) {
    answer = *recent->answer;
  } else {
    waiting_.erase(
        std::remove_if(waiting_.begin(), waiting_.end(), [&](const WebBox& b) { return b.id == box.id; }),
        waiting_.end());
    if (recent != recent_.end()) recent->answer = answer;
    box.answer = answer;
    Log(box, stopping_ ? "ends unanswered, taking its default" : "had no answer in time, taking its default");
  }
  lock.unlock();
  Notify();
  return answer;
}

AnswerOutcome WebUserInterface::Answer(int id, std::string_view button) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto box = std::find_if(waiting_.begin(), waiting_.end(), [id](const WebBox& b) { return b.id == id; });
    if (box == waiting_.end()) return AnswerOutcome::kNoSuchBox;
    std::vector<BoxResult> buttons = ButtonsOf(box->request.buttons);
    auto chosen = std::find_if(buttons.begin(), buttons.end(),
                               [button](BoxResult b) { return button == ButtonName(b); });
    if (chosen == buttons.end()) return AnswerOutcome::kNotAButton;
    box->answer = *chosen;
    Log(*box, "answered");
    for (WebBox& recent : recent_) {
      if (recent.id == id) recent.answer = *chosen;
    }
    waiting_.erase(box);
  }
  answered_.notify_all();
  Notify();
  return AnswerOutcome::kAnswered;
}

std::vector<WebBox> WebUserInterface::Waiting() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return {waiting_.begin(), waiting_.end()};
}

int WebUserInterface::LastBoxId() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return nextId_;
}

std::vector<WebBox> WebUserInterface::RaisedSince(int afterId) const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<WebBox> out;
  for (const WebBox& box : recent_) {
    if (box.id > afterId) out.push_back(box);
  }
  return out;
}

void WebUserInterface::Remember(const WebBox& box) {
  recent_.push_back(box);
  if (recent_.size() > kMaxRecent) recent_.pop_front();
}

void WebUserInterface::Log(const WebBox& box, std::string_view how) {
  std::string line = "message box " + std::to_string(box.id) + " [" + MessageLines(box.request.caption) +
                     "] " + OneLine(MessageLines(box.request.text)) + " " + std::string(how);
  if (box.answer && box.holds) line += std::string(": ") + ButtonName(*box.answer);
  std::fprintf(options_.err, "%s\n", line.c_str());
  std::fflush(options_.err);
}

void WebUserInterface::Notify() {
  std::function<void()> listener;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    listener = boxesChanged_;
  }
  if (listener) listener();
}

void WebUserInterface::Beep() {
  std::function<void()> listener;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    listener = beeped_;
    if (options_.terminalFd >= 0) {
      std::fputc('\a', options_.err);
      std::fflush(options_.err);
    }
  }
  if (listener) listener();
}

void WebUserInterface::ConsoleWrite(std::string_view text) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::fwrite(text.data(), 1, text.size(), options_.out);
  std::fflush(options_.out);
}

void WebUserInterface::ReadTerminal() {
  std::string pending;
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (stopping_) return;
    }
    pollfd fd{options_.terminalFd, POLLIN, 0};
    if (::poll(&fd, 1, kTerminalPollMs) <= 0) continue;
    char buffer[256];
    ssize_t got = ::read(options_.terminalFd, buffer, sizeof buffer);
    if (got <= 0) return;  // the terminal went away: pages still answer
    pending.append(buffer, static_cast<size_t>(got));
    for (size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1)) {
      AnswerFromTerminal(std::string_view(pending).substr(0, end));
    }
  }
}

void WebUserInterface::AnswerFromTerminal(std::string_view line) {
  int id = 0;
  std::string button;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    // The oldest waiting choice is the one the terminal asked about first.
    auto box = std::find_if(waiting_.begin(), waiting_.end(), [](const WebBox& b) { return b.holds; });
    if (box == waiting_.end()) return;
    id = box->id;
    char first = line.empty() ? '\0' : static_cast<char>(std::tolower(static_cast<unsigned char>(line[0])));
    for (BoxResult candidate : ButtonsOf(box->request.buttons)) {
      if (std::tolower(static_cast<unsigned char>(ButtonName(candidate)[0])) == first)
        button = ButtonName(candidate);
    }
    if (first == '\0' || first == '\r') button = ButtonName(DefaultAnswer(box->request));
  }
  if (!button.empty()) Answer(id, button);
}

}  // namespace kelvora
