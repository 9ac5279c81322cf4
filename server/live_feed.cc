#include "server/live_feed.h"

#include <algorithm>

namespace kelvora {
namespace {

// Enough for a few seconds of changes; a stream further behind starts again.
constexpr size_t kKeptEvents = 256;

}  // namespace

nlohmann::json SnapshotDelta(const nlohmann::json& before, const nlohmann::json& after) {
  nlohmann::json delta = nlohmann::json::object();
  nlohmann::json controls = nlohmann::json::object();
  const nlohmann::json& old = before.contains("controls") ? before["controls"] : nlohmann::json::object();
  for (const auto& [id, text] : after["controls"].items()) {
    if (!old.contains(id) || old[id] != text) controls[id] = text;
  }
  if (!controls.empty()) delta["controls"] = controls;
  for (const char* key : {"slots", "selectedSlot", "programs"}) {
    if (!before.contains(key) || before[key] != after[key]) delta[key] = after[key];
  }
  const nlohmann::json empty = nlohmann::json::array();
  const nlohmann::json& oldStrip = before.contains("strip") ? before["strip"] : empty;
  const nlohmann::json& newStrip = after["strip"];
  size_t from = 0;
  while (from < oldStrip.size() && from < newStrip.size() && oldStrip[from] == newStrip[from]) ++from;
  if (from < oldStrip.size() || from < newStrip.size()) {
    delta["strip"] = {{"from", from},
                      {"lines", nlohmann::json(std::vector<nlohmann::json>(
                                    newStrip.begin() + static_cast<long>(from), newStrip.end()))}};
  }
  return delta;
}

LiveFeed::LiveFeed(SnapshotSource source, std::chrono::milliseconds period, int maxStreams)
    : source_(std::move(source)), period_(period), maxStreams_(maxStreams) {}

LiveFeed::~LiveFeed() { End(); }

void LiveFeed::Start() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    snapshot_ = SnapshotToJson(source_());
  }
  poller_ = std::thread([this] { Poll(); });
}

void LiveFeed::End() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!ended_) {
      ended_ = true;
      PublishLocked("ended", nlohmann::json::object());
    }
  }
  changed_.notify_all();
  if (poller_.joinable()) poller_.join();
}

void LiveFeed::Poll() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!ended_) {
    changed_.wait_for(lock, period_, [this] { return ended_; });
    if (ended_) return;
    lock.unlock();
    // The copy and its conversion happen outside the lock streams wait on.
    nlohmann::json next = SnapshotToJson(source_());
    lock.lock();
    nlohmann::json delta = SnapshotDelta(snapshot_, next);
    if (delta.empty()) continue;
    snapshot_ = std::move(next);
    PublishLocked("delta", delta);
    changed_.notify_all();
  }
}

void LiveFeed::PublishLocked(std::string name, const nlohmann::json& data) {
  events_.push_back(
      {++number_, std::move(name), data.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)});
  if (events_.size() > kKeptEvents) events_.pop_front();
}

void LiveFeed::PublishBoxes(nlohmann::json boxes) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    boxes_ = std::move(boxes);
    PublishLocked("boxes", boxes_);
  }
  changed_.notify_all();
}

void LiveFeed::PublishBeep() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    PublishLocked("beep", nlohmann::json::object());
  }
  changed_.notify_all();
}

FeedState LiveFeed::Current() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return {number_, snapshot_, boxes_, ended_};
}

std::vector<FeedEvent> LiveFeed::WaitAfter(uint64_t after, std::chrono::milliseconds timeout,
                                           bool* resync) const {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait_for(lock, timeout, [&] { return number_ > after; });
  *resync = !events_.empty() && events_.front().number > after + 1;
  std::vector<FeedEvent> out;
  if (*resync) return out;
  for (const FeedEvent& event : events_) {
    if (event.number > after) out.push_back(event);
  }
  return out;
}

bool LiveFeed::OpenStream() {
  int open = streams_.load();
  do {
    if (open >= maxStreams_) return false;
  } while (!streams_.compare_exchange_weak(open, open + 1));
  return true;
}

void LiveFeed::CloseStream() { --streams_; }

}  // namespace kelvora
