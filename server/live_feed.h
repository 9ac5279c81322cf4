// The push stream's source: polls the snapshot the control thread publishes,
// turns what changed into numbered events, and lets each open stream wait
// for the events after the last one it sent. The control pass never waits
// for a page: it only publishes, and this thread reads.
#ifndef KELVORA_SERVER_LIVE_FEED_H_
#define KELVORA_SERVER_LIVE_FEED_H_

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "Monitor/ui/display.h"

namespace kelvora {

// What changed between two snapshots, as the page applies it: "controls"
// (only the changed texts), "slots" and "selectedSlot" when the list
// changed, "programs" when the names changed, and "strip" as {"from": line,
// "lines": [...]} replacing the strip from that line on. Empty when equal.
nlohmann::json SnapshotDelta(const nlohmann::json& before, const nlohmann::json& after);

struct FeedEvent {
  uint64_t number = 0;
  std::string name;  // "delta", "boxes", "beep", "ended"
  std::string data;  // JSON
};

// Everything a newly opened stream starts from.
struct FeedState {
  uint64_t number = 0;  // the last event included
  nlohmann::json snapshot;
  nlohmann::json boxes;
  bool ended = false;
};

class LiveFeed {
 public:
  using SnapshotSource = std::function<DisplaySnapshot()>;
  LiveFeed(SnapshotSource source, std::chrono::milliseconds period, int maxStreams);
  ~LiveFeed();
  LiveFeed(const LiveFeed&) = delete;
  LiveFeed& operator=(const LiveFeed&) = delete;

  void Start();
  // Sends "ended" to every stream and stops polling.
  void End();

  // Any thread.
  void PublishBoxes(nlohmann::json boxes);
  void PublishBeep();
  FeedState Current() const;
  // Waits up to `timeout` for events after `after`. When the stream fell
  // too far behind, `resync` is set and the caller starts again from Current().
  std::vector<FeedEvent> WaitAfter(uint64_t after, std::chrono::milliseconds timeout, bool* resync) const;

  // Counts the open streams; false when `maxStreams` are open already.
  bool OpenStream();
  void CloseStream();
  int OpenStreams() const { return streams_.load(); }

 private:
  void Poll();
  void PublishLocked(std::string name, const nlohmann::json& data);

  SnapshotSource source_;
  std::chrono::milliseconds period_;
  int maxStreams_;
  std::atomic<int> streams_{0};
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  nlohmann::json snapshot_ = nlohmann::json::object();  // guarded by mutex_
  nlohmann::json boxes_ = nlohmann::json::array();      // guarded by mutex_
  std::deque<FeedEvent> events_;                        // guarded by mutex_
  uint64_t number_ = 0;                                 // guarded by mutex_
  bool ended_ = false;                                  // guarded by mutex_
  std::thread poller_;
};

}  // namespace kelvora

#endif  // KELVORA_SERVER_LIVE_FEED_H_
