#include "Monitor/core/fatal_error.h"

namespace kelvora {

std::string RetryExplanation() {
  return "A System File is probably open in another external application\n\r\n"
         "CLOSE the external application and then Click the RETRY button.\r\n"
         "Otherwise the Program will be CLOSED and you risk losing some data.";
}

std::string RetryBoxText() { return "A Severe error has occurred:\n" + RetryExplanation(); }

std::string RetryExplanation(const TrappedError& error) {
  // A full disk is not another application's fault: say what it is.
  if (error.explanation.empty()) return RetryExplanation();
  return error.explanation +
         "\r\nMake room on the disk and then Click the RETRY button.\r\n"
         "Otherwise the Program will be CLOSED and you risk losing some data.";
}

std::string StopBoxText() {
  return "A Severe error has occurred, \nThe Program will STOP!\nClick the OK Button";
}

std::string_view ModuleName(std::string_view fileName) {
  size_t slash = fileName.find_last_of("/\\");
  if (slash != std::string_view::npos) fileName.remove_prefix(slash + 1);
  size_t dot = fileName.find('.');
  return dot == std::string_view::npos ? fileName : fileName.substr(0, dot);
}

namespace {

// A tiny appender over a fixed buffer: no allocation, safe in a signal handler.
struct Appender {
  char* out;
  size_t capacity;
  size_t length = 0;

  void Text(std::string_view text) {
    for (char c : text) {
      if (length < capacity) out[length++] = c;
    }
  }
  void Number(unsigned value) {
    char digits[16];
    size_t count = 0;
    do {
      digits[count++] = static_cast<char>('0' + value % 10);
      value /= 10;
    } while (value != 0);
    while (count > 0) Text(std::string_view(&digits[--count], 1));
  }
};

}  // namespace

size_t FormatErrorRecord(char* out, size_t capacity, unsigned number, unsigned line, std::string_view module,
                         std::string_view durationText, std::string_view message) {
  Appender append{out, capacity};
  append.Text("ERROR: #");
  append.Number(number);
  append.Text(" in line  ");
  append.Number(line);
  append.Text(" in Module ");
  append.Text(module);
  append.Text(" in Function  at ");  // no routine records its name
  append.Text(durationText);
  append.Text(" Hre\r\n\r\n");
  append.Text(message);
  append.Text("\r\n");
  return append.length;
}

std::string ErrorRecord(unsigned number, unsigned line, std::string_view module,
                        std::string_view durationText, std::string_view message) {
  std::string record(128 + module.size() + durationText.size() + message.size(), '\0');
  record.resize(FormatErrorRecord(record.data(), record.size(), number, line, module, durationText, message));
  return record;
}

}  // namespace kelvora
