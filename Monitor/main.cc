// Kelvora: the heating monitor and controller. It runs in the directory that
// holds the executable, where "Settings.ini" and "DATA" live; there are no
// command-line options.
#include <unistd.h>

#include <climits>
#include <string>

#include "Monitor/Monitor.h"

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
  kelvora::NullPorts ports;
  kelvora::ConsoleUserInterface ui;
  kelvora::Environment environment{clock, ports, ui, ProgramDirectory(), /*installSignalHandlers=*/true};
  kelvora::Program program(environment);
  return program.Run();
}
