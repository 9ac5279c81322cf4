// The open channels of a file layer, by the number handed to the caller.
// Both layers keep their channels the same way; only what a channel holds
// (a descriptor, or bytes in memory) differs.
#ifndef KELVORA_PLATFORM_CHANNEL_TABLE_H_
#define KELVORA_PLATFORM_CHANNEL_TABLE_H_

#include <iterator>
#include <map>
#include <optional>
#include <utility>

#include "platform/file_layer.h"
#include "platform/trap.h"

namespace kelvora {

template <typename Channel>
class ChannelTable {
 public:
  FileId Add(Channel channel) {
    FileId id = nextId_++;
    channels_.emplace(id, std::move(channel));
    return id;
  }

  // The open channel `id`; using one that is not open is a misuse of the
  // file functions, not a disk failure: `handler` hears of it as an
  // illegal function call.
  Channel* Get(FileId id, SourceLocation where, TrapHandler& handler) {
    auto it = channels_.find(id);
    if (it != channels_.end()) return &it->second;
    static_cast<void>(handler.Trap(TrappedError{kIllegalFunctionCall, where, "file channel not open"}));
    return nullptr;
  }

  const Channel* Find(FileId id) const {
    auto it = channels_.find(id);
    return it == channels_.end() ? nullptr : &it->second;
  }

  // Removes the channel from the table; nullopt when it was not open.
  std::optional<Channel> Take(FileId id) {
    auto it = channels_.find(id);
    if (it == channels_.end()) return std::nullopt;
    Channel channel = std::move(it->second);
    channels_.erase(it);
    return channel;
  }

  // The lowest open number, or kNoFile when none is open.
  FileId First() const { return channels_.empty() ? kNoFile : channels_.begin()->first; }

  // Removes every channel for which `drop` (called with the channel) says so.
  template <typename Drop>
  void EraseIf(Drop drop) {
    for (auto it = channels_.begin(); it != channels_.end();) {
      it = drop(it->second) ? channels_.erase(it) : std::next(it);
    }
  }

  template <typename Visit>
  void ForEach(Visit visit) {
    for (auto& entry : channels_) visit(entry.second);
  }

 private:
  FileId nextId_ = 1;
  std::map<FileId, Channel> channels_;
};

}  // namespace kelvora

#endif  // KELVORA_PLATFORM_CHANNEL_TABLE_H_
