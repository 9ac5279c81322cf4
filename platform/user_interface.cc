#include "platform/user_interface.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <iterator>

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

namespace {

// Code points below 0x10000 are all these tables hold.
void AppendUtf8(std::string& out, char32_t code) {
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

}  // namespace

namespace {

// 0x80-0x9F differ from Latin-1; the rest maps to the same code point.
constexpr char16_t kCp1252High[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                      0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

// The next code point of `text` from `*at`; a malformed sequence reads as U+FFFD.
char32_t NextCodePoint(std::string_view text, size_t* at) {
  auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte((*at)++);
  if (lead < 0x80) return lead;
  int more = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
  if (more < 0 || lead > 0xF4) return 0xFFFD;
  char32_t code = lead & (0x3F >> more);
  for (int i = 0; i < more; ++i) {
    if (*at >= text.size() || (byte(*at) & 0xC0) != 0x80) return 0xFFFD;
    code = (code << 6) | (byte((*at)++) & 0x3F);
  }
  return code;
}

}  // namespace

std::string Cp1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (unsigned char byte : text) {
    AppendUtf8(out, byte < 0x80 ? byte : (byte < 0xA0 ? kCp1252High[byte - 0x80] : byte));
  }
  return out;
}

std::string Utf8ToCp1252(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    char32_t code = NextCodePoint(text, &at);
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
      out += static_cast<char>(code);
      continue;
    }
    const char16_t* found = std::find(std::begin(kCp1252High), std::end(kCp1252High), code);
    bool mapped = found != std::end(kCp1252High) && code != 0xFFFD;
    out += mapped ? static_cast<char>(0x80 + (found - std::begin(kCp1252High))) : '?';
  }
  return out;
}

std::string Cp437ToUtf8(std::string_view text) {
  static constexpr char16_t kHigh[128] = {
      0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE,
      0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6,
      0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA,
      0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
      0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514,
      0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
      0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C,
      0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
      0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320,
      0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0};
  std::string out;
  out.reserve(text.size() * 3);
  for (unsigned char byte : text) {
    char32_t code = byte < 0x80 ? byte : kHigh[byte - 0x80];
    AppendUtf8(out, code);
  }
  return out;
}

// Message texts use CR LF or LF CR between lines; a terminal or a page wants LF only.
std::string MessageLines(std::string_view text) {
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
    std::fprintf(err_, "\n[%s]\n%s\n", MessageLines(request.caption).c_str(),
                 MessageLines(request.text).c_str());
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
  std::string text = MessageLines(request.text);
  for (char& c : text) {
    if (c == '\n') c = ' ';
  }
  std::fprintf(err_, "message box [%s] %s -> %s\n", MessageLines(request.caption).c_str(), text.c_str(),
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
