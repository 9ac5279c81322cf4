// Kelvora: the heating monitor and controller. It runs in the directory that
// holds the executable, where "Settings.ini" and "DATA" live; there are no
// command-line options.
#include <unistd.h>

#include <climits>
#include <string>

#include "Monitor/Monitor.h"
#include "platform/linux_ports.h"

namespace {

std::string ProgramDirectory() {
  char path[PATH_MAX];
  ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return ".";
  std::string exe(path, static_cast<size_t>(length));
  size_t slash = exe.find_last_of('/');
  return slash == std::string::npos ? "." : exe.substr(0, slash);
}

}  // namespace

int main() {
  kelvora::SystemClock clock;
  // Without the right to the ports the backend touches none: no card is
  // found and the program simulates, after saying why.
  kelvora::LinuxPorts ports;
  kelvora::ConsoleUserInterface ui;
  if (!ports.Granted()) ui.ConsoleWrite("The I/O card cannot be reached: " + ports.Refusal() + "\n");
  kelvora::Environment environment{clock,
                                   ports,
                                   ui,
                                   ProgramDirectory(),
                                   /*installSignalHandlers=*/true,
                                   /*randomSeed=*/std::nullopt,
                                   /*makeLearning=*/{},
                                   /*onDayClosed=*/{},
                                   /*diagnosticsToTerminal=*/isatty(STDOUT_FILENO) != 0,
                                   /*statusScreenToTerminal=*/isatty(STDOUT_FILENO) != 0};
  kelvora::Program program(environment);
  return program.Run();
}
