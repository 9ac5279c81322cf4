// Kelvora: the heating monitor and controller. It runs in its program
// directory, where "Settings.ini" and "DATA" live (the executable's own
// directory unless --home names another, as for the service), and serves its main window as a
// web page, by default at http://127.0.0.1:8470/.
#include <termios.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "Monitor/Monitor.h"
#include "platform/linux_ports.h"
#include "platform/terminal.h"
#include "server/web_server.h"

namespace {

constexpr const char* kUsage =
    "usage: kelvora [--listen HOST:PORT] [--home DIR] [--tls-cert FILE --tls-key FILE]\n"
    "       kelvora --set-password [--home DIR]\n"
    "       kelvora --help | --version\n"
    "  --listen HOST:PORT  where the page is served (default 127.0.0.1:8470); an address\n"
    "                      other than this machine's loopback needs --set-password first\n"
    "  --home DIR          the program directory (default: the executable's directory)\n"
    "  --set-password      asks for the page's password and stores its hash in DIR/web-password\n"
    "  --tls-cert, --tls-key  serve HTTPS with this certificate and key (PEM files)\n";

struct Options {
  kelvora::ListenAddress listen;
  std::string home;
  std::string tlsCert;
  std::string tlsKey;
  bool setPassword = false;
};

std::string ProgramDirectory() {
  char path[PATH_MAX];
  ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return ".";
  std::string exe(path, static_cast<size_t>(length));
  size_t slash = exe.find_last_of('/');
  return slash == std::string::npos ? "." : exe.substr(0, slash);
}

// 0 to go on, otherwise the exit status (after --help, --version or an error).
int ParseOptions(const std::vector<std::string>& arguments, Options* options) {
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& name = arguments[i];
    if (name == "--help" || name == "-h") {
      std::fputs(kUsage, stdout);
      return -1;
    }
    if (name == "--version") {
      std::printf("kelvora %s\n", KELVORA_VERSION);
      return -1;
    }
    if (name == "--set-password") {
      options->setPassword = true;
      continue;
    }
    std::string error;
    if (i + 1 >= arguments.size()) {
      error = name + (name.rfind("--", 0) == 0 ? " wants a value" : ": unexpected argument");
    } else if (name == "--listen") {
      kelvora::ParseListenAddress(arguments[++i], &options->listen, &error);
    } else if (name == "--home") {
      options->home = arguments[++i];
    } else if (name == "--tls-cert") {
      options->tlsCert = arguments[++i];
    } else if (name == "--tls-key") {
      options->tlsKey = arguments[++i];
    } else {
      error = "unknown option " + name;
    }
    if (!error.empty()) {
      std::fprintf(stderr, "kelvora: %s\n%s", error.c_str(), kUsage);
      return 2;
    }
  }
  if (options->tlsCert.empty() != options->tlsKey.empty()) {
    std::fprintf(stderr, "kelvora: --tls-cert and --tls-key go together\n");
    return 2;
  }
  return 0;
}

std::string ReadPassword(const char* prompt) {
  bool terminal = isatty(STDIN_FILENO) != 0;
  termios saved{};
  if (terminal) {
    std::fputs(prompt, stderr);
    tcgetattr(STDIN_FILENO, &saved);
    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
  }
  std::string line;
  std::getline(std::cin, line);
  if (terminal) {
    tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    std::fputs("\n", stderr);
  }
  return line;
}

int SetPassword(const std::string& home) {
  std::string password = ReadPassword("New password for the page: ");
  if (isatty(STDIN_FILENO) != 0 && ReadPassword("Again: ") != password) {
    std::fprintf(stderr, "kelvora: the two passwords differ; nothing was changed\n");
    return 1;
  }
  std::string error;
  std::string path = kelvora::PasswordFilePath(home);
  if (!kelvora::StorePassword(path, password, &error)) {
    std::fprintf(stderr, "kelvora: %s\n", error.c_str());
    return 1;
  }
  std::printf("The page's password is stored in %s\n", path.c_str());
  return 0;
}

// The server's settings; 0 to go on, or the exit status of a refusal.
int ServerOptions(const Options& options, kelvora::WebServerOptions* server) {
  server->listen = options.listen;
  server->tlsCert = options.tlsCert;
  server->tlsKey = options.tlsKey;
  std::string error;
  std::optional<std::string> hash =
      kelvora::LoadPasswordHash(kelvora::PasswordFilePath(options.home), &error);
  if (!error.empty()) {
    std::fprintf(stderr, "kelvora: %s\n", error.c_str());
    return 1;
  }
  if (hash) server->passwordHash = *hash;
  if (!kelvora::IsLoopbackHost(options.listen.host) && !hash) {
    std::fprintf(stderr,
                 "kelvora: listening on %s would let other machines reach the heating without a password;\n"
                 "set one first with: kelvora --set-password --home %s\n",
                 options.listen.host.c_str(), options.home.c_str());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (int status = ParseOptions(std::vector<std::string>(argv + 1, argv + argc), &options); status != 0) {
    return status < 0 ? 0 : status;
  }
  if (options.home.empty()) options.home = ProgramDirectory();
  if (options.setPassword) return SetPassword(options.home);
  kelvora::WebServerOptions serverOptions;
  if (int status = ServerOptions(options, &serverOptions); status != 0) return status;

  bool screenOnTerminal = isatty(STDOUT_FILENO) != 0;
  // Keys typed on the status screen's terminal (a box's answer) must not be
  // echoed into it; its settings come back on every way out.
  kelvora::QuietTerminal terminal(screenOnTerminal ? STDOUT_FILENO : -1);
  kelvora::SystemClock clock;
  kelvora::WebUserInterface ui(
      {std::chrono::minutes(10), stdout, stderr, isatty(STDIN_FILENO) != 0 ? STDIN_FILENO : -1});
  // Without the right to the ports the backend touches none: no card is
  // found and the program simulates, after saying why.
  kelvora::LinuxPorts ports;
  kelvora::ServiceNotifier service;
  kelvora::Environment environment{clock,
                                   ports,
                                   ui,
                                   options.home,
                                   /*installSignalHandlers=*/true,
                                   /*randomSeed=*/std::nullopt,
                                   /*makeLearning=*/{},
                                   /*onDayClosed=*/{},
                                   /*diagnosticsToTerminal=*/screenOnTerminal,
                                   &service,
                                   /*statusScreenToTerminal=*/screenOnTerminal,
                                   &terminal};
  kelvora::Program program(environment);
  kelvora::WebServer server(program, ui, serverOptions);
  std::string error;
  // Before the program starts: no relay has been touched when this fails.
  if (!server.Bind(&error)) {
    std::fprintf(stderr, "kelvora: %s\n", error.c_str());
    return 1;
  }
  server.Start();
  std::printf("Kelvora's page: %s\n", server.Address().c_str());
  std::fflush(stdout);
  if (!ports.Granted()) ui.ConsoleWrite("The I/O card cannot be reached: " + ports.Refusal() + "\n");
  int status = program.Run();
  // The signal handlers are gone: no later signal could put it back.
  terminal.Restore();
  server.End();
  return status;
}
