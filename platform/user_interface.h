// How the program talks to the person at the house: message boxes with their
// buttons, the beep, and console output. The console backend stands in until
// the web page serves the same boxes.
#ifndef KELVORA_PLATFORM_USER_INTERFACE_H_
#define KELVORA_PLATFORM_USER_INTERFACE_H_

#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora {

enum class BoxIcon { kNone, kStop, kQuestion, kExclamation, kInformation };
enum class BoxButtons { kOk, kOkCancel, kAbortRetryIgnore, kYesNoCancel, kYesNo, kRetryCancel };
// The platform's button results, numbered as it numbers them.
enum class BoxResult {
  kOk = 1,
  kCancel = 2,
  kAbort = 3,
  kRetry = 4,
  kIgnore = 5,
  kYes = 6,
  kNo = 7,
  kTryAgain = 10,
  kContinue = 11
};

// Texts are Windows-1252 bytes, as the program keeps them.
struct MessageBoxRequest {
  bool ownedByMainWindow = false;
  std::string caption;
  std::string text;
  BoxIcon icon = BoxIcon::kNone;
  BoxButtons buttons = BoxButtons::kOk;
  int defaultButton = 0;  // index into the buttons, from 0
};

// The buttons of a set, in the order they are shown.
std::vector<BoxResult> ButtonsOf(BoxButtons buttons);
const char* ButtonName(BoxResult result);
// The button a box answers with when nobody chooses.
BoxResult DefaultAnswer(const MessageBoxRequest& request);
// Windows-1252 bytes as UTF-8, for a terminal or a web page.
std::string Cp1252ToUtf8(std::string_view text);
// UTF-8 (from a web page) as Windows-1252; what that set lacks becomes "?".
std::string Utf8ToCp1252(std::string_view text);
// Code page 437 bytes (the OEM set of the cycle strip and text screens) as UTF-8.
std::string Cp437ToUtf8(std::string_view text);
// A box's Windows-1252 text as UTF-8 lines ended by LF alone.
std::string MessageLines(std::string_view text);

class UserInterface {
 public:
  virtual ~UserInterface() = default;
  // Blocks until the person answers.
  virtual BoxResult ShowMessageBox(const MessageBoxRequest& request) = 0;
  virtual void Beep() = 0;
  // Text for the console; bytes are written as they are.
  virtual void ConsoleWrite(std::string_view text) = 0;
};

// Asks on the terminal when there is one; otherwise answers every box with
// its default button and logs the box on standard error.
class ConsoleUserInterface final : public UserInterface {
 public:
  ConsoleUserInterface();  // looks at the process's standard streams
  ConsoleUserInterface(std::FILE* in, std::FILE* out, std::FILE* err, bool interactive);
  BoxResult ShowMessageBox(const MessageBoxRequest& request) override;
  void Beep() override;
  void ConsoleWrite(std::string_view text) override;

 private:
  BoxResult Ask(const MessageBoxRequest& request);
  void Log(const MessageBoxRequest& request, BoxResult answer);

  std::mutex mutex_;
  std::FILE* in_;
  std::FILE* out_;
  std::FILE* err_;
  bool interactive_;
};

}  // namespace kelvora

#endif  // KELVORA_PLATFORM_USER_INTERFACE_H_
