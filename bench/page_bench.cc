// The page and its server: the page's weight, the control pass's cost
// (median and 99th percentile) with 0 and with 8 open pages, the process's
// resident memory with 8 pages, and the time from a value changing in the
// control pass to its arrival on a page's push stream.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "bench/bench_support.h"
#include "platform/ports.h"
#include "server/web_assets.h"
#include "server/web_server.h"

namespace kelvora {
namespace {

using SteadyClock = std::chrono::steady_clock;

double Percentile(std::vector<double> values, int percent) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() * static_cast<size_t>(percent) / 100];
}

void BM_PageWeight(benchmark::State& state) {
  size_t bytes = 0;
  size_t compressed = 0;
  size_t files = 0;
  for (auto _ : state) {
    bytes = compressed = files = 0;
    for (const WebAsset& asset : WebAssets()) {
      if (asset.path.starts_with("/login")) continue;  // only shown when a password is set
      ++files;
      bytes += asset.bytes.size();
      uLongf size = compressBound(asset.bytes.size());
      std::vector<Bytef> out(size);
      compress2(out.data(), &size, reinterpret_cast<const Bytef*>(asset.bytes.data()), asset.bytes.size(), 6);
      compressed += size;
    }
  }
  state.counters["files"] = static_cast<double>(files);
  state.counters["bytes"] = static_cast<double>(bytes);
  state.counters["deflated_bytes"] = static_cast<double>(compressed);
}
BENCHMARK(BM_PageWeight)->Iterations(1);

// A page's push stream on a raw socket, read until closed; the times at which
// each clock text (control 1013) arrived are kept.
class StreamReader {
 public:
  explicit StreamReader(int port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return;
    std::string request = "GET /api/events HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n\r\n";
    if (::send(fd_, request.data(), request.size(), 0) < 0) return;
    thread_ = std::thread([this] { Read(); });
  }
  ~StreamReader() {
    ::shutdown(fd_, SHUT_RDWR);
    if (thread_.joinable()) thread_.join();
    ::close(fd_);
  }
  std::map<std::string, SteadyClock::time_point> Arrivals() {
    std::lock_guard<std::mutex> lock(mutex_);
    return arrivals_;
  }

 private:
  void Read() {
    char buffer[8192];
    std::string pending;
    for (ssize_t got; (got = ::recv(fd_, buffer, sizeof buffer, 0)) > 0;) {
      auto now = SteadyClock::now();
      pending.append(buffer, static_cast<size_t>(got));
      for (size_t at; (at = pending.find("\"1013\":\"")) != std::string::npos && pending.size() >= at + 16;) {
        std::lock_guard<std::mutex> lock(mutex_);
        arrivals_.emplace(pending.substr(at + 8, 8), now);
        pending.erase(0, at + 16);
      }
      if (pending.size() > 16) pending.erase(0, pending.size() - 16);
    }
  }

  int fd_ = -1;
  std::thread thread_;
  std::mutex mutex_;
  std::map<std::string, SteadyClock::time_point> arrivals_;
};

double ResidentMegabytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024;
  }
  return 0;
}

// Passes paced 5 ms apart, so the feed's polls fall among them as they do
// among the real passes, a second apart.
void PassWithPages(benchmark::State& state) {
  std::string home = FreshHome();
  LocalTime start;
  ParseLocalTime("2024-01-08 05:00:00", &start);
  VirtualClock clock(start);
  NullPorts ports;
  WebUserInterface ui({std::chrono::minutes(10), stdout, stderr, -1});
  Program program(Environment{clock, ports, ui, home, false, 1, {}, {}});
  program.Files().SetSyncOnCommit(false);
  program.SetDayStateSaverForTesting([](Program&) {});
  WebServerOptions options;
  options.listen = {"127.0.0.1", 0};
  WebServer server(program, ui, options);
  std::string error;
  if (!server.Bind(&error)) state.SkipWithError(error.c_str());
  server.Start();
  program.StartUp();
  program.OpenMainWindow();
  std::vector<std::unique_ptr<StreamReader>> pages;
  for (int i = 0; i < state.range(0); ++i) pages.push_back(std::make_unique<StreamReader>(server.Port()));
  std::vector<double> times;
  std::map<std::string, SteadyClock::time_point> published;
  for (auto _ : state) {
    clock.Advance(std::chrono::seconds(1));
    auto begin = SteadyClock::now();
    program.RunControlPass();
    auto end = SteadyClock::now();
    times.push_back(std::chrono::duration<double, std::micro>(end - begin).count());
    published.emplace(ClockText(clock.Now()), end);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  state.counters["median_us"] = Percentile(times, 50);
  state.counters["p99_us"] = Percentile(times, 99);
  if (!pages.empty()) {
    state.counters["rss_MB"] = ResidentMegabytes();
    // A value shows once it, or any later one, has arrived: the feed sends
    // the latest snapshot, skipping values that lasted less than its period.
    std::vector<double> latencies;
    std::map<std::string, SteadyClock::time_point> arrivals = pages.front()->Arrivals();
    for (const auto& [text, sent] : published) {
      auto shown = arrivals.lower_bound(text);
      if (shown != arrivals.end()) {
        latencies.push_back(std::chrono::duration<double, std::milli>(shown->second - sent).count());
      }
    }
    state.counters["latency_median_ms"] = Percentile(latencies, 50);
    state.counters["latency_p99_ms"] = Percentile(latencies, 99);
  }
  pages.clear();
  server.End();
  std::filesystem::remove_all(home);
}
BENCHMARK(PassWithPages)->Arg(0)->Arg(8)->Iterations(2000)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
}  // namespace kelvora

BENCHMARK_MAIN();
