#include "Monitor/error_handler.h"

#include <cstdlib>
#include <cstring>
#include <utility>

#include "Monitor/control/cycle_log.h"
#include "Monitor/core/clock_text.h"
#include "Monitor/core/duration_text.h"

namespace kelvora {

Resume ErrorHandler::Trap(const TrappedError& error) {
  ErrorState& errors = program_.State().errors;
  if (stopping_) {
    // Already on the way out: a second failure must not start a second stop.
    // What can be retried is offered once more; the rest is passed over.
    if (error.number == kFileIoError && !askingRetry_) return AskRetry(error);
    program_.Ui().ConsoleWrite("\nwhile stopping: " + error.detail + "\n");
    return Resume::kSkip;
  }
  errors.lastErrorNumber = error.number;
  errors.errorMessage = error.explanation;
  if (error.number == kIllegalFunctionCall) {
    errors.lastErrorNumber = 0;
    return Resume::kSkip;
  }
  if (error.number == kFileIoError && !askingRetry_) {
    errors.errorMessage = RetryExplanation(error);
    if (AskRetry(error) == Resume::kRetry) return Resume::kRetry;
  }
  FatalPath(error);
}

BoxResult ErrorHandler::ShowSystemError(std::string text, BoxButtons buttons) {
  MessageBoxRequest box;
  // Before the main window exists the box has no owner.
  box.ownedByMainWindow = program_.MainWindowOpen();
  box.caption = std::string(kSystemErrorCaption);
  box.text = std::move(text);
  box.icon = BoxIcon::kStop;
  box.buttons = buttons;
  return program_.Ui().ShowMessageBox(box);
}

Resume ErrorHandler::AskRetry(const TrappedError& error) {
  // Nobody may be there to answer: the relays stay off while the box waits.
  // The run state keeps its output byte; the card gets it back on Retry.
  program_.WriteOutputs(0);
  askingRetry_ = true;
  program_.Ui().ConsoleWrite("\n" + error.detail + "\n");
  BoxResult answer = ShowSystemError("A Severe error has occurred:\n" + RetryExplanation(error),
                                     BoxButtons::kAbortRetryIgnore);
  askingRetry_ = false;
  program_.State().errors.errorAnswer = static_cast<uint8_t>(answer);
  if (answer == BoxResult::kRetry || answer == BoxResult::kTryAgain) {
    // Once the stop has begun the relays stay off whatever is retried.
    if (!stopping_) program_.WriteOutputs(program_.State().card.outputByte);
    return Resume::kRetry;
  }
  return Resume::kSkip;
}

void ErrorHandler::FatalPath(const TrappedError& error) {
  stopping_ = true;
  // Switch the heating off before anything waits for a person.
  program_.WriteOutputs(0);
  ShowSystemError(StopBoxText(), BoxButtons::kOk);
  WriteErrorLog(error);
  CloseRunningCycle();
  // Before the day was read back there is nothing of it to save, and
  // saving would overwrite the day's files with an empty day.
  if (program_.DayStateSavable()) program_.SaveDayState();
  program_.Ui().Beep();
  program_.Ui().Beep();
  bool requested =
      error.number == kSignalInterrupt || error.number == kSignalTermination || error.number == kSignalQuit;
  std::string reason = "error " + std::to_string(error.number);
  if (!error.detail.empty()) reason += " (" + error.detail + ")";
  program_.ShutDown(requested ? kExitStoppedOnRequest : kExitStoppedByError, std::move(reason));
  // Not reached: the stop ends the run by an exception. The compiler cannot
  // see through the virtual call that it never returns.
  std::abort();
}

void ErrorHandler::WriteErrorLog(const TrappedError& error) {
  RunState& state = program_.State();
  // Until the main window's first pass, `clockSeconds` may still hold the
  // time "STAT.DAT" was saved at, hours before this error: the clock's own
  // reading is when it happened.
  int32_t seconds =
      program_.MainWindowOpen() ? state.clock.clockSeconds : ClockSecond(program_.ClockSource());
  state.clock.durationText = FormatDuration(seconds);
  std::string record = ErrorRecord(error.number, error.where.line(), ModuleName(error.where.file_name()),
                                   state.clock.durationText, state.errors.errorMessage);
  program_.Ui().ConsoleWrite("\n" + record);
  if (!error.detail.empty()) program_.Ui().ConsoleWrite("(" + error.detail + ")\n");
  FileLayer& files = program_.Files();
  FileId log = files.OpenOutput(kErrorLogName);
  if (log == kNoFile) return;
  files.Write(log, record);
  files.Close(log);
}

void ErrorHandler::CloseRunningCycle() {
  ControlState& control = program_.State().control;
  Table<float>& log = control.cycleLog;
  // Rows() is the last row's index, itself a row.
  if (log.Empty() || control.cycleIndex < 0 || control.cycleIndex > log.Rows()) return;
  if (HoldsCode(log(control.cycleIndex, kCycleState), CycleCode::kOff)) return;
  program_.State().card.outputByte = 0;
  StartCycleRow(control, CycleCode::kOff, static_cast<float>(program_.State().clock.clockSeconds),
                control.interiorTemp, control.exteriorTemp);
}

}  // namespace kelvora
