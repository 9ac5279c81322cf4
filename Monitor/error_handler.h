// The one process-wide handler of trapped errors: error 1 is ignored, an
// input/output error on an open file offers Abort/Retry/Ignore, everything
// else stops the program after writing "ERROR.LOG" and saving the day.
#ifndef KELVORA_MONITOR_ERROR_HANDLER_H_
#define KELVORA_MONITOR_ERROR_HANDLER_H_

#include <string>

#include "Monitor/core/control_host.h"
#include "Monitor/core/fatal_error.h"
#include "platform/trap.h"
#include "platform/user_interface.h"

namespace kelvora {

// What the error handler needs of the program besides its control host:
// the boxes and the console, whether the main window is open, whether the
// day may be saved, and the stop.
class StoppableProgram : public ControlHost {
 public:
  virtual UserInterface& Ui() = 0;
  virtual bool MainWindowOpen() const = 0;
  virtual bool DayStateSavable() const = 0;
  [[noreturn]] virtual void ShutDown(int status, std::string reason) = 0;
};

class ErrorHandler final : public TrapHandler {
 public:
  explicit ErrorHandler(StoppableProgram& program) : program_(program) {}
  ErrorHandler(const ErrorHandler&) = delete;
  ErrorHandler& operator=(const ErrorHandler&) = delete;

  Resume Trap(const TrappedError& error) override;
  // True from the start of the fatal path to the end of the process.
  bool Stopping() const { return stopping_; }

 private:
  BoxResult ShowSystemError(std::string text, BoxButtons buttons);
  Resume AskRetry(const TrappedError& error);
  [[noreturn]] void FatalPath(const TrappedError& error);
  void WriteErrorLog(const TrappedError& error);
  void CloseRunningCycle();

  StoppableProgram& program_;
  bool stopping_ = false;
  bool askingRetry_ = false;
};

}  // namespace kelvora

#endif  // KELVORA_MONITOR_ERROR_HANDLER_H_
