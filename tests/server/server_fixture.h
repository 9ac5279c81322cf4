// A simulated run of the example house with its page served on an ephemeral
// loopback port, driven by a real HTTP client.
#ifndef KELVORA_TESTS_SERVER_SERVER_FIXTURE_H_
#define KELVORA_TESTS_SERVER_SERVER_FIXTURE_H_

#include <gtest/gtest.h>
#include <httplib.h>

#include <functional>
#include <future>
#include <memory>
#include <string>
#include <thread>

#include <nlohmann/json.hpp>

#include "server/web_server.h"
#include "tests/support/program_fixture.h"
#include "tests/tools/simulation_fixture.h"

namespace kelvora::testing {

class ServerFixture : public ::testing::Test {
 protected:
  ~ServerFixture() override { Stop(); }

  void Start(WebServerOptions options = {}) {
    CopyExampleHome(home.path());
    options.listen = {"127.0.0.1", 0};
    options.feedPeriod = std::chrono::milliseconds(50);
    SimulationOptions simulation;
    simulation.home = home.path();
    simulation.start = TimeAt("2019-01-15 06:10:00");
    simulation.days = 30;
    simulation.speed = 20;
    simulation.fileHookForTesting = fileHook;
    std::promise<void> ready;
    SimulationHooks hooks;
    hooks.serve = [&](Program& running) {
      program = &running;
      server = std::make_unique<WebServer>(running, ui, options);
      std::string error;
      EXPECT_TRUE(server->Bind(&error)) << error;
      server->Start();
      ready.set_value();
      return true;
    };
    hooks.ended = [this] { server->End(); };
    run = std::thread([this, simulation, hooks] { RunSimulation(simulation, ui, hooks); });
    ready.get_future().wait();
    // The first pass fills the window.
    for (auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
         program->Snapshot().slotRows.empty() && std::chrono::steady_clock::now() < deadline;) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }

  void Stop() {
    if (!run.joinable()) return;
    Client()->Post("/api/commands/exit-without-save", Token(), "{}", "application/json");
    run.join();
  }

  std::unique_ptr<httplib::Client> Client() const {
    auto client = std::make_unique<httplib::Client>("127.0.0.1", server->Port());
    client->set_read_timeout(30, 0);
    return client;
  }
  httplib::Headers Token() const { return {{"X-Kelvora-Token", server->Token()}}; }
  nlohmann::json Snapshot() const { return nlohmann::json::parse(Client()->Get("/api/snapshot")->body); }
  httplib::Result Post(const std::string& path, const std::string& body) const {
    return Client()->Post(path.c_str(), Token(), body, "application/json");
  }
  std::string DataFile(const std::string& name) const { return home.path() + "/DATA/" + name; }

  // Sees every file operation of the run and fails it by returning the errno.
  FileFaults::OperationHook fileHook;
  TempDir home;
  WebUserInterface ui{{std::chrono::minutes(10), stderr, stderr, -1}};
  std::unique_ptr<WebServer> server;
  Program* program = nullptr;  // read only through its thread-safe Snapshot()
  std::thread run;
};

}  // namespace kelvora::testing

#endif  // KELVORA_TESTS_SERVER_SERVER_FIXTURE_H_
