#include "platform/user_interface.h"

#include <unistd.h>

#include <cctype>

namespace kelvora {

std::vector<BoxResult> ButtonsOf(BoxButtons buttons) {
  switch (buttons) {
    case BoxButtons::kOk:
      return {BoxResult::kOk};
    case BoxButtons::kOkCancel:
      return {BoxResult::kOk, BoxResult::kCancel};
    case BoxButtons::kAbortRetryIgnore:
      return {BoxResult::kAbort, BoxResult::kRetry, BoxResult::kIgnore};
    case BoxButtons::kYesNoCancel:
      return {BoxResult::kYes, BoxResult::kNo, BoxResult::kCancel};
    case BoxButtons::kYesNo:
      return {BoxResult::kYes, BoxResult::kNo};
    case BoxButtons::kRetryCancel:
      return {BoxResult::kRetry, BoxResult::kCancel};
  }
  return {BoxResult::kOk};
}

const char* ButtonName(BoxResult result) {
  switch (result) {
    case BoxResult::kOk:
      return "OK";
    case BoxResult::kCancel:
      return "Cancel";
    case BoxResult::kAbort:
      return "Abort";
    case BoxResult::kRetry:
      return "Retry";
    case BoxResult::kIgnore:
      return "Ignore";
    case BoxResult::kYes:
      return "Yes";
    case BoxResult::kNo:
      return "No";
    case BoxResult::kTryAgain:
      return "Try Again";
    case BoxResult::kContinue:
      return "Continue";
  }
  return "?";
}

BoxResult DefaultAnswer(const MessageBoxRequest& request) {
  std::vector<BoxResult> buttons = ButtonsOf(request.buttons);
  size_t index = request.defaultButton < 0 ? 0 : static_cast<size_t>(request.defaultButton);
  return index < buttons.size() ? buttons[index] : buttons.front();
}

std::string Cp1252ToUtf8(std::string_view text) {
  // 0x80-0x9F differ from Latin-1; the rest maps to the same code point.
  static constexpr char16_t kHigh[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                         0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                         0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                         0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
  std::string out;
  out.reserve(text.size());
  for (unsigned char byte : text) {
    char32_t code = byte < 0x80 ? byte : (byte < 0xA0 ? kHigh[byte - 0x80] : byte);
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return out;
}

namespace {

// Message texts use CR LF or LF CR between lines; a terminal wants LF only.
std::string TerminalText(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r') {
      bool pairedWithLf = (i + 1 < text.size() && text[i + 1] == '\n') || (i > 0 && text[i - 1] == '\n');
      if (!pairedWithLf) out += '\n';
      continue;
    }
    out += c;
  }
  return Cp1252ToUtf8(out);
}

}  // namespace

ConsoleUserInterface::ConsoleUserInterface()
    : ConsoleUserInterface(stdin, stdout, stderr, isatty(STDIN_FILENO) && isatty(STDERR_FILENO)) {}

ConsoleUserInterface::ConsoleUserInterface(std::FILE* in, std::FILE* out, std::FILE* err, bool interactive)
    : in_(in), out_(out), err_(err), interactive_(interactive) {}

BoxResult ConsoleUserInterface::ShowMessageBox(const MessageBoxRequest& request) {
  std::lock_guard<std::mutex> lock(mutex_);
  BoxResult answer = interactive_ ? Ask(request) : DefaultAnswer(request);
  if (!interactive_) Log(request, answer);
  return answer;
}

BoxResult ConsoleUserInterface::Ask(const MessageBoxRequest& request) {
  std::vector<BoxResult> buttons = ButtonsOf(request.buttons);
  BoxResult fallback = DefaultAnswer(request);
  for (;;) {
    std::fprintf(err_, "\n[%s]\n%s\n", TerminalText(request.caption).c_str(),
                 TerminalText(request.text).c_str());
    for (BoxResult button : buttons) {
      std::fprintf(err_, button == fallback ? " <%s>" : " [%s]", ButtonName(button));
    }
    std::fprintf(err_, "  (first letter, Enter for <%s>): ", ButtonName(fallback));
    std::fflush(err_);
    char line[64];
    if (std::fgets(line, sizeof line, in_) == nullptr) return fallback;  // the terminal went away
    char first = static_cast<char>(std::tolower(static_cast<unsigned char>(line[0])));
    if (first == '\n' || first == '\0') return fallback;
    for (BoxResult button : buttons) {
      if (std::tolower(static_cast<unsigned char>(ButtonName(button)[0])) == first) return button;
    }
  }
}

void ConsoleUserInterface::Log(const MessageBoxRequest& request, BoxResult answer) {
  std::string text = TerminalText(request.text);
  for (char& c : text) {
    if (c == '\n') c = ' ';
  }
  std::fprintf(err_, "message box [%s] %s -> %s\n", TerminalText(request.caption).c_str(), text.c_str(),
               ButtonName(answer));
  std::fflush(err_);
}

void ConsoleUserInterface::Beep() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (interactive_) {
    std::fputc('\a', err_);
    std::fflush(err_);
  }
}

void ConsoleUserInterface::ConsoleWrite(std::string_view text) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::fwrite(text.data(), 1, text.size(), out_);
  std::fflush(out_);
}

}  // namespace kelvora
