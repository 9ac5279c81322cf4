#include "Monitor/core/emergency_stop.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstring>

#include "Monitor/core/fatal_error.h"
#include "platform/trap.h"

namespace kelvora {

namespace {

// A signal handler can reach nothing but static storage. This pointer is the
// program's one piece of process-wide state, and it only ever points at the
// installed EmergencyStop.
std::atomic<EmergencyStop*> installedStop{nullptr};

// Every signal whose default would end the process takes one of the two
// paths: a hang-up (the terminal or the session closed) is an interrupt, the
// other requests a termination; the faults end on the crash path.
constexpr int kSignals[] = {SIGINT, SIGILL,  SIGFPE,  SIGSEGV, SIGTERM,   SIGABRT, SIGQUIT,
                            SIGHUP, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGBUS,
                            SIGSYS, SIGTRAP, SIGXCPU, SIGPWR,  SIGSTKFLT};
// A reader that went away, or a file over its size limit, is a failed write
// for the file layer to report, not a reason to die.
constexpr int kIgnoredSignals[] = {SIGPIPE, SIGXFSZ};

bool IsStopRequest(int signal) {
  switch (signal) {
    case SIGILL:
    case SIGFPE:
    case SIGSEGV:
    case SIGABRT:
    case SIGBUS:
    case SIGSYS:
    case SIGTRAP:
    case SIGXCPU:
      return false;
    default:
      return true;
  }
}

void WriteAll(int fd, const char* bytes, size_t length) {
  while (length > 0) {
    ssize_t n = ::write(fd, bytes, length);
    if (n <= 0) return;
    bytes += n;
    length -= static_cast<size_t>(n);
  }
}

// " 0:mm:ss" or "hh:mm:ss", as FormatDuration writes it, without allocating.
void DurationInto(char out[9], int32_t seconds) {
  if (seconds < 0) seconds = 0;
  int32_t hours = seconds / 3600, minutes = seconds / 60 % 60, rest = seconds % 60;
  out[0] = hours > 0 ? static_cast<char>('0' + hours / 10 % 10) : ' ';
  out[1] = static_cast<char>('0' + (hours > 0 ? hours % 10 : 0));
  out[2] = ':';
  out[3] = static_cast<char>('0' + minutes / 10);
  out[4] = static_cast<char>('0' + minutes % 10);
  out[5] = ':';
  out[6] = static_cast<char>('0' + rest / 10);
  out[7] = static_cast<char>('0' + rest % 10);
  out[8] = '\0';
}

}  // namespace

uint8_t ErrorNumberOfSignal(int signal) {
  switch (signal) {
    case SIGINT:
    case SIGHUP:
      return kSignalInterrupt;
    case SIGILL:
      return kSignalIllegalInstruction;
    case SIGFPE:
      return kSignalFloatingPoint;
    case SIGSEGV:
    case SIGBUS:
      return kSignalSegmentation;
    case SIGTERM:
    case SIGUSR1:
    case SIGUSR2:
    case SIGALRM:
    case SIGVTALRM:
    case SIGPROF:
    case SIGPWR:
    case SIGSTKFLT:
      return kSignalTermination;
    case SIGABRT:
    case SIGSYS:
    case SIGTRAP:
    case SIGXCPU:
      return kSignalAbort;
    case SIGQUIT:
      return kSignalQuit;
    default:
      return 0;
  }
}

EmergencyStop::~EmergencyStop() { Uninstall(); }

bool EmergencyStop::Install(PortAccess& ports) {
  EmergencyStop* expected = nullptr;
  if (!installedStop.compare_exchange_strong(expected, this)) return false;
  ports_ = &ports;
  struct sigaction action {};
  action.sa_handler = &EmergencyStop::OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : kSignals) sigaction(signal, &action, nullptr);
  for (int signal : kIgnoredSignals) std::signal(signal, SIG_IGN);
  action.sa_handler = &EmergencyStop::OnContinue;
  sigaction(SIGCONT, &action, nullptr);
  installed_ = true;
  return true;
}

void EmergencyStop::Uninstall() {
  if (!installed_) return;
  for (int signal : kSignals) std::signal(signal, SIG_DFL);
  for (int signal : kIgnoredSignals) std::signal(signal, SIG_DFL);
  std::signal(SIGCONT, SIG_DFL);
  installedStop.store(nullptr);
  installed_ = false;
}

void EmergencyStop::SetLogPath(const std::string& path) {
  logPathReady_.store(false);
  size_t length = std::min(path.size(), sizeof logPath_ - 1);
  std::memcpy(logPath_, path.data(), length);
  logPath_[length] = '\0';
  logPathReady_.store(length > 0);
}

bool EmergencyStop::RequestStop(uint8_t errorNumber) {
  uint8_t none = 0;
  return !pending_.compare_exchange_strong(none, errorNumber);
}

void EmergencyStop::RunCrashPath(uint8_t errorNumber) {
  uint16_t port = outputPort_.load();
  if (ports_ != nullptr && port != kNoPort) ports_->WritePortByte(port, 0);
  // The shell that takes the terminal back must find its echo again.
  if (const QuietTerminal* terminal = terminal_.load()) terminal->Restore();
  char duration[9];
  DurationInto(duration, clockSeconds_.load());
  char record[256];
  size_t length = FormatErrorRecord(record, sizeof record, errorNumber, 0, "signal", duration, "");
  WriteAll(STDOUT_FILENO, "\n", 1);
  WriteAll(STDOUT_FILENO, record, length);
  if (!logPathReady_.load()) return;
  int fd = ::open(logPath_, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return;
  WriteAll(fd, record, length);
  ::close(fd);
}

void EmergencyStop::OnSignal(int signal) {
  EmergencyStop* stop = installedStop.load();
  uint8_t number = ErrorNumberOfSignal(signal);
  if (stop != nullptr && number != 0) {
    if (IsStopRequest(signal) && !stop->RequestStop(number)) return;  // the control thread takes it up
    stop->RunCrashPath(number);
  }
  // End the way the signal would have ended us, so a supervisor sees it.
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

void EmergencyStop::OnContinue(int) {
  EmergencyStop* stop = installedStop.load();
  if (stop == nullptr) return;
  if (const QuietTerminal* terminal = stop->terminal_.load()) terminal->Requiet();
  stop->continued_.store(true);
}

}  // namespace kelvora
