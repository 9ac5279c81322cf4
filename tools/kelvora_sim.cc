// kelvora-sim: the whole program in simulation on a virtual clock, days in
// seconds. Message boxes take their default button and are logged, with the
// console text, on standard error; the summary goes to standard output.
// With --listen it serves the page over the run, paced by --speed, and the
// page answers the boxes.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "server/web_server.h"
#include "tools/simulator.h"

namespace {

int Serve(const kelvora::SimulationOptions& options) {
  kelvora::WebServerOptions serverOptions;
  std::string error;
  if (!kelvora::ParseListenAddress(options.listen, &serverOptions.listen, &error)) {
    std::fprintf(stderr, "kelvora-sim: %s\n", error.c_str());
    return 2;
  }
  if (!kelvora::IsLoopbackHost(serverOptions.listen.host)) {
    std::fprintf(stderr, "kelvora-sim: the simulator serves this machine only (a loopback address)\n");
    return 2;
  }
  kelvora::WebUserInterface ui({std::chrono::minutes(10), stderr, stderr, -1});
  std::unique_ptr<kelvora::WebServer> server;
  kelvora::SimulationHooks hooks;
  hooks.serve = [&](kelvora::Program& program) {
    server = std::make_unique<kelvora::WebServer>(program, ui, serverOptions);
    std::string bindError;
    if (!server->Bind(&bindError)) {
      std::fprintf(stderr, "kelvora-sim: %s\n", bindError.c_str());
      return false;
    }
    server->Start();
    std::printf("Kelvora's page: %s\n", server->Address().c_str());
    std::fflush(stdout);
    return true;
  };
  hooks.ended = [&] {
    if (server) server->End();
  };
  kelvora::SimulationSummary summary = kelvora::RunSimulation(options, ui, hooks);
  std::fputs(kelvora::SummaryText(summary).c_str(), stdout);
  return summary.exitStatus;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  for (const std::string& argument : arguments) {
    if (argument == "--help" || argument == "-h") {
      std::fputs(kelvora::SimulationUsage().c_str(), stdout);
      return 0;
    }
  }
  kelvora::SimulationOptions options;
  std::string error;
  if (!kelvora::ParseSimulationArguments(arguments, &options, &error)) {
    std::fprintf(stderr, "kelvora-sim: %s\n%s", error.c_str(), kelvora::SimulationUsage().c_str());
    return 2;
  }
  std::error_code ignored;
  if (!std::filesystem::is_directory(options.home, ignored)) {
    std::fprintf(stderr, "kelvora-sim: the program directory %s does not exist\n", options.home.c_str());
    return 2;
  }
  if (!options.listen.empty()) return Serve(options);
  kelvora::ConsoleUserInterface ui(stdin, stderr, stderr, /*interactive=*/false);
  kelvora::SimulationSummary summary = kelvora::RunSimulation(options, ui);
  std::fputs(kelvora::SummaryText(summary).c_str(), stdout);
  return summary.exitStatus;
}
