// The texts of the trapped-error handler's boxes and of "ERROR.LOG", kept
// apart from the handler so that the crash path can format a record too.
#ifndef KELVORA_MONITOR_CORE_FATAL_ERROR_H_
#define KELVORA_MONITOR_CORE_FATAL_ERROR_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/trap.h"

namespace kelvora {

// The texts of the handler's boxes and log, byte for byte.
inline constexpr std::string_view kSystemErrorCaption = "SYSTEM ERROR";
inline constexpr std::string_view kErrorLogName = "ERROR.LOG";
std::string RetryExplanation();  // the three-line explanation of error 3
// The explanation for this error: the usual one, or the file layer's own
// (a full disk names the file) with the same advice.
std::string RetryExplanation(const TrappedError& error);
std::string RetryBoxText();  // "A Severe error has occurred:" LF + explanation
std::string StopBoxText();   // "A Severe error has occurred, " LF "The Program will STOP!" ...

// The module name a record shows for a source file: its base name without
// the extension ("Monitor/core/startup.cc" -> "startup").
std::string_view ModuleName(std::string_view fileName);

// Writes the "ERROR.LOG" record into `out` without allocating, so the crash
// path can use it from a signal handler. Returns the length; the text is cut
// at `capacity`.
size_t FormatErrorRecord(char* out, size_t capacity, unsigned number, unsigned line, std::string_view module,
                         std::string_view durationText, std::string_view message);
std::string ErrorRecord(unsigned number, unsigned line, std::string_view module,
                        std::string_view durationText, std::string_view message);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_CORE_FATAL_ERROR_H_
