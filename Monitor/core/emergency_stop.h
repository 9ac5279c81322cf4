// Signals: an interrupt (or hang-up), termination or quit request is taken up by the
// control thread at its next tick and stops the program through the fatal
// handler (errors 9, 13 and 15). After an illegal instruction, a
// floating-point fault, a segmentation fault or an abort (errors 10, 11, 12,
// 14) nothing can safely go on: the handler itself switches the relays off,
// writes "ERROR.LOG", gives the terminal its settings back and ends the
// process with the signal. A second request while the first waits (a person
// not answering the stop box) does the same. A continuation after a
// suspension quiets the terminal again and is reported to the control thread.
#ifndef KELVORA_MONITOR_CORE_EMERGENCY_STOP_H_
#define KELVORA_MONITOR_CORE_EMERGENCY_STOP_H_

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/ports.h"
#include "platform/terminal.h"

namespace kelvora {

class EmergencyStop {
 public:
  EmergencyStop() = default;
  ~EmergencyStop();
  EmergencyStop(const EmergencyStop&) = delete;
  EmergencyStop& operator=(const EmergencyStop&) = delete;

  // Installs the process's signal handlers, pointing at this object. Only one
  // object can be installed at a time; a second Install returns false.
  bool Install(PortAccess& ports);
  void Uninstall();

  // What the crash path needs, published by the control thread.
  void SetOutputPort(uint16_t port) { outputPort_.store(port); }
  void SetClockSeconds(int32_t seconds) { clockSeconds_.store(seconds); }
  void SetLogPath(const std::string& path);
  // The terminal whose settings the crash path puts back; none when null.
  // It must outlive the installation.
  void SetTerminal(const QuietTerminal* terminal) { terminal_.store(terminal); }

  // Whether the process was continued after a suspension since the last
  // call: the shell has used the terminal meanwhile.
  bool TakeContinued() { return continued_.exchange(false); }

  // The error number of a stop request that arrived (9, 13 or 15), or 0.
  uint8_t PendingRequest() const { return pending_.load(); }

  // The crash path as a signal handler runs it; public so tests can run it
  // without raising a signal. Does not end the process.
  void RunCrashPath(uint8_t errorNumber);

  // Records a request as the handler does for SIGINT, SIGTERM and SIGQUIT.
  // Returns true when this was a second request, which needs the crash path.
  bool RequestStop(uint8_t errorNumber);

 private:
  static void OnSignal(int signal);
  static void OnContinue(int signal);

  PortAccess* ports_ = nullptr;
  std::atomic<uint16_t> outputPort_{kNoPort};
  std::atomic<int32_t> clockSeconds_{0};
  std::atomic<uint8_t> pending_{0};
  std::atomic<bool> logPathReady_{false};
  std::atomic<const QuietTerminal*> terminal_{nullptr};
  std::atomic<bool> continued_{false};
  char logPath_[4096] = {};
  bool installed_ = false;
};

// The error number of a signal, 0 for a signal the program does not take.
uint8_t ErrorNumberOfSignal(int signal);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_CORE_EMERGENCY_STOP_H_
