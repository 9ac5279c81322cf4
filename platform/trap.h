// Trapped errors: how a failing file or table operation reaches the one
// process-wide handler, and how a stop unwinds to the top of the program.
#ifndef KELVORA_PLATFORM_TRAP_H_
#define KELVORA_PLATFORM_TRAP_H_

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>

namespace kelvora {

// The error numbers of the program, the same in the handler and in "ERROR.LOG".
enum ErrorNumber : uint8_t {
  kIllegalFunctionCall = 1,
  kFileNotFound = 2,
  kFileIoError = 3,
  kOutOfMemory = 4,
  kIllegalResume = 5,
  kIndexOutOfBounds = 6,
  kNullReference = 7,
  kNoPrivileges = 8,
  kSignalInterrupt = 9,
  kSignalIllegalInstruction = 10,
  kSignalFloatingPoint = 11,
  kSignalSegmentation = 12,
  kSignalTermination = 13,
  kSignalAbort = 14,
  kSignalQuit = 15,
  kReturnWithoutCall = 16,
  kEndOfFile = 17,
};

// The source file and line of an operation. A stand-in for
// std::source_location that Clang 14 can also compile with GCC's library:
// taken as a default argument, current() names the caller's place.
class SourceLocation {
 public:
  static constexpr SourceLocation current(const char* file = __builtin_FILE(),
                                          unsigned line = __builtin_LINE()) {
    return SourceLocation(file, line);
  }
  constexpr SourceLocation() = default;
  constexpr const char* file_name() const { return file_; }
  constexpr unsigned line() const { return line_; }

 private:
  constexpr SourceLocation(const char* file, unsigned line) : file_(file), line_(line) {}
  const char* file_ = "";
  unsigned line_ = 0;
};

// One trapped error: its number and the place of the failing operation.
struct TrappedError {
  TrappedError() = default;
  TrappedError(uint8_t errorNumber, SourceLocation place, std::string what, std::string advice = {})
      : number(errorNumber), where(place), detail(std::move(what)), explanation(std::move(advice)) {}

  uint8_t number = 0;
  SourceLocation where;
  std::string detail;  // what failed, for the console; never part of "ERROR.LOG"
  // What the person can do about it, when the file layer knows better than
  // the usual explanation (a full disk, something that is not a file).
  std::string explanation;
};

// How the handler lets the failing code go on.
enum class Resume {
  kRetry,  // run the failing operation again
  kSkip,   // go on after it as if it had done nothing
};

// The one handler. Trap() either returns how to go on or throws ProgramExit.
class TrapHandler {
 public:
  virtual ~TrapHandler() = default;
  virtual Resume Trap(const TrappedError& error) = 0;
};

// Thrown by ShutDown: unwinds every frame to the program's entry, which ends
// the process with `status`. Tests catch it instead of losing the process.
// A stop through the error path carries a non-zero status and says why.
class ProgramExit : public std::exception {
 public:
  explicit ProgramExit(int status, std::string reason = {}) : status_(status), reason_(std::move(reason)) {}
  int status() const { return status_; }
  const std::string& reason() const { return reason_; }
  const char* what() const noexcept override { return "program exit"; }

 private:
  int status_;
  std::string reason_;
};

// Exit statuses: a stop asked for by a signal is told apart from a failure.
inline constexpr int kExitStoppedByError = 1;
inline constexpr int kExitStoppedOnRequest = 3;

}  // namespace kelvora

#endif  // KELVORA_PLATFORM_TRAP_H_
