// Kelvora: the heating monitor and controller. It runs in the directory that
// holds the executable, where "Settings.ini" and "DATA" live, or in the one
// given by --home DIR (as the service does).
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

// The directory given by "--home DIR", or the program's own.
std::string HomeDirectory(int argc, char** argv) {
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::string(argv[i]) == "--home") return argv[i + 1];
  }
  return ProgramDirectory();
}

}  // namespace

int main(int argc, char** argv) {
  kelvora::SystemClock clock;
  // Without the right to the ports the backend touches none: no card is
  // found and the program simulates, after saying why.
  kelvora::LinuxPorts ports;
  kelvora::ConsoleUserInterface ui;
  kelvora::ServiceNotifier service;
  if (!ports.Granted()) ui.ConsoleWrite("The I/O card cannot be reached: " + ports.Refusal() + "\n");
  kelvora::Environment environment{clock,
                                   ports,
                                   ui,
                                   HomeDirectory(argc, argv),
                                   /*installSignalHandlers=*/true,
                                   /*randomSeed=*/std::nullopt,
                                   /*makeLearning=*/{},
                                   /*onDayClosed=*/{},
                                   /*diagnosticsToTerminal=*/isatty(STDOUT_FILENO) != 0,
                                   &service};
  kelvora::Program program(environment);
  return program.Run();
}
