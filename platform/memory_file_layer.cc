#include "platform/memory_file_layer.h"

#include <algorithm>
#include <cerrno>
#include <utility>
#include <vector>

namespace kelvora {

enum class MemoryChannelKind { kInput, kOutput, kAppend, kRecord };

struct MemoryFileLayer::Channel {
  Channel(MemoryChannelKind channelKind, std::string resolved)
      : kind(channelKind), path(std::move(resolved)), key(Key(path)) {}

  MemoryChannelKind kind;
  std::string path;  // as resolved, for the messages
  std::string key;
  std::string text;  // whole content of an input file; every byte of an output
  size_t position = 0;
  size_t recordLength = 1;
  bool failed = false;  // an output with a skipped write is never committed
};

namespace {

std::string ParentOf(const std::string& key) {
  size_t slash = key.find_last_of('/');
  if (slash == std::string::npos) return "";
  return slash == 0 ? "/" : key.substr(0, slash);
}

std::string LastOf(const std::string& key) {
  size_t slash = key.find_last_of('/');
  return slash == std::string::npos ? key : key.substr(slash + 1);
}

char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return FoldAscii(x) == FoldAscii(y); });
}

// Takes `key` as the match for `name` in `directory` when it is one, and
// the first in byte order of those seen.
void Consider(const std::string& key, const std::string& directory, std::string_view name,
              std::optional<std::string>& found) {
  if (key.empty() || key == "/" || ParentOf(key) != directory) return;
  std::string last = LastOf(key);
  if (SameIgnoringAsciiCase(last, name) && (!found || last < *found)) found = last;
}

}  // namespace

MemoryFileLayer::MemoryFileLayer(TrapHandler& handler) : handler_(handler) {}

MemoryFileLayer::~MemoryFileLayer() = default;

std::string MemoryFileLayer::Key(const std::string& path) {
  std::vector<std::string> parts;
  for (size_t start = 0; start <= path.size();) {
    size_t end = std::min(path.find('/', start), path.size());
    std::string part = path.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(std::move(part));
    }
    start = end + 1;
  }
  std::string key = !path.empty() && path.front() == '/' ? "/" : "";
  for (size_t i = 0; i < parts.size(); ++i) key += (i == 0 ? "" : "/") + parts[i];
  return key;
}

std::string MemoryFileLayer::Resolve(std::string_view name) const {
  NameLookup lookup{[this](const std::string& path) {
                      std::string key = Key(path);
                      return files_.count(key) > 0 || directories_.count(key) > 0;
                    },
                    [this](const std::string& directory, std::string_view entry) {
                      std::optional<std::string> found;
                      const std::string parent = Key(directory);
                      for (const auto& file : files_) Consider(file.first, parent, entry, found);
                      for (const std::string& path : directories_) Consider(path, parent, entry, found);
                      return found;
                    }};
  return ResolveName(current_, name, lookup);
}

std::string MemoryFileLayer::ExactKey(std::string_view name) const {
  std::string path(name);
  std::replace(path.begin(), path.end(), '\\', '/');
  return Key(path.starts_with('/') ? path : current_ + "/" + path);
}

std::optional<std::string> MemoryFileLayer::FileBytes(std::string_view name) const {
  auto it = files_.find(ExactKey(name));
  if (it == files_.end()) return std::nullopt;
  return it->second;
}

void MemoryFileLayer::SetFileBytes(std::string_view name, std::string_view bytes) {
  files_[ExactKey(name)] = std::string(bytes);
}

std::vector<std::string> MemoryFileLayer::Entries(std::string_view directory) const {
  const std::string parent = ExactKey(directory);
  std::set<std::string> names;
  for (const auto& file : files_) {
    if (ParentOf(file.first) == parent) names.insert(LastOf(file.first));
  }
  for (const std::string& path : directories_) {
    if (!path.empty() && path != "/" && ParentOf(path) == parent) names.insert(LastOf(path));
  }
  return {names.begin(), names.end()};
}

int MemoryFileLayer::Writable(const std::string& key) const {
  if (directories_.count(key) > 0) return kNotARegularFile;
  return directories_.count(ParentOf(key)) > 0 ? 0 : ENOENT;
}

template <typename Attempt>
bool MemoryFileLayer::Trapped(FileOp op, uint8_t number, const std::string& path, Where where,
                              Attempt attempt) {
  for (;;) {
    int error = faults_.Before(op, path);
    const bool injected = error != 0;
    if (!injected) error = attempt();
    if (error == 0) return true;
    if (handler_.Trap(FileFailure(number, where, path, error, injected)) == Resume::kSkip) return false;
  }
}

template <typename Attempt>
FileId MemoryFileLayer::Open(Channel channel, Where where, Attempt attempt) {
  if (!Trapped(FileOp::kOpen, kFileNotFound, channel.path, where, [&] { return attempt(channel); })) {
    return kNoFile;
  }
  return channels_.Add(std::move(channel));
}

MemoryFileLayer::Channel* MemoryFileLayer::Get(FileId id, Where where) {
  return channels_.Get(id, where, handler_);
}

const MemoryFileLayer::Channel* MemoryFileLayer::Find(FileId id) const { return channels_.Find(id); }

bool MemoryFileLayer::IsOpen(FileId id) const { return Find(id) != nullptr; }

FileId MemoryFileLayer::OpenInput(std::string_view name, Where where) {
  return Open(Channel(MemoryChannelKind::kInput, Resolve(name)), where, [&](Channel& channel) {
    if (directories_.count(channel.key) > 0) return kNotARegularFile;
    auto it = files_.find(channel.key);
    if (it == files_.end()) return ENOENT;
    channel.text = it->second;
    return 0;
  });
}

FileId MemoryFileLayer::OpenOutput(std::string_view name, Where where) {
  return Open(Channel(MemoryChannelKind::kOutput, Resolve(name)), where,
              [&](Channel& channel) { return Writable(channel.key); });
}

FileId MemoryFileLayer::OpenAppend(std::string_view name, Where where) {
  return Open(Channel(MemoryChannelKind::kAppend, Resolve(name)), where, [&](Channel& channel) {
    int error = Writable(channel.key);
    if (error == 0) files_.try_emplace(channel.key);
    return error;
  });
}

FileId MemoryFileLayer::OpenRecord(std::string_view name, size_t recordLength, Where where) {
  Channel record(MemoryChannelKind::kRecord, Resolve(name));
  record.recordLength = recordLength == 0 ? 1 : recordLength;
  return Open(std::move(record), where, [&](Channel& channel) {
    int error = Writable(channel.key);
    if (error == 0) files_.try_emplace(channel.key);
    return error;
  });
}

std::optional<std::string> MemoryFileLayer::ReadLine(FileId id, Where where) {
  Channel* channel = Get(id, where);
  if (channel == nullptr || channel->position >= channel->text.size()) return std::nullopt;
  std::optional<std::string> line;
  Trapped(FileOp::kRead, kFileIoError, channel->path, where, [&] {
    size_t end = channel->text.find('\n', channel->position);
    size_t next = end == std::string::npos ? channel->text.size() : end + 1;
    if (end == std::string::npos) end = channel->text.size();
    std::string text = channel->text.substr(channel->position, end - channel->position);
    if (!text.empty() && text.back() == '\r') text.pop_back();
    channel->position = next;
    line = std::move(text);
    return 0;
  });
  return line;
}

bool MemoryFileLayer::AtEnd(FileId id) const {
  const Channel* channel = Find(id);
  return channel == nullptr || channel->position >= channel->text.size();
}

void MemoryFileLayer::Write(FileId id, std::string_view bytes, Where where) {
  Channel* channel = Get(id, where);
  if (channel == nullptr) return;
  if (channel->kind == MemoryChannelKind::kOutput) {
    // Marked failed until the write is through: a stop from inside the
    // handler must not commit what was never written.
    const bool failedBefore = channel->failed;
    channel->failed = true;
    if (Trapped(FileOp::kWrite, kFileIoError, channel->path, where, [] { return 0; })) {
      channel->failed = failedBefore;
      channel->text.append(bytes);
    }
    return;
  }
  Trapped(FileOp::kWrite, kFileIoError, channel->path, where, [&] {
    files_[channel->key].append(bytes);
    return 0;
  });
}

std::string MemoryFileLayer::GetRecord(FileId id, uint32_t number, Where where) {
  Channel* channel = Get(id, where);
  if (channel == nullptr) return {};
  std::string record(channel->recordLength, '\0');
  Trapped(FileOp::kRead, kFileIoError, channel->path, where, [&] {
    if (number == 0) return EINVAL;
    const std::string& file = files_[channel->key];
    size_t offset = (number - 1) * channel->recordLength;
    std::fill(record.begin(), record.end(), '\0');
    if (offset < file.size()) file.copy(record.data(), record.size(), offset);
    return 0;
  });
  return record;
}

void MemoryFileLayer::PutRecord(FileId id, uint32_t number, std::string_view bytes, Where where) {
  Channel* channel = Get(id, where);
  if (channel == nullptr) return;
  std::string record(bytes.substr(0, channel->recordLength));
  record.resize(channel->recordLength, ' ');
  Trapped(FileOp::kWrite, kFileIoError, channel->path, where, [&] {
    if (number == 0) return EINVAL;
    std::string& file = files_[channel->key];
    size_t offset = (number - 1) * channel->recordLength;
    if (file.size() < offset + record.size()) file.resize(offset + record.size(), '\0');
    file.replace(offset, record.size(), record);
    return 0;
  });
}

uint32_t MemoryFileLayer::RecordCount(FileId id) const {
  const Channel* channel = Find(id);
  if (channel == nullptr || channel->kind != MemoryChannelKind::kRecord) return 0;
  auto it = files_.find(channel->key);
  return it == files_.end() ? 0 : static_cast<uint32_t>(it->second.size() / channel->recordLength);
}

void MemoryFileLayer::CommitOutput(Channel& channel, Where where) {
  // As on the disk, the bytes are first made ready (a close) and then put in
  // place of the old file (a rename); a failure in either keeps the old one.
  bool ok = !channel.failed &&
            Trapped(FileOp::kClose, kFileIoError, channel.path, where, [&] { return Writable(channel.key); });
  if (!ok) return;
  Trapped(FileOp::kRename, kFileIoError, channel.path, where, [&] {
    int error = Writable(channel.key);
    if (error == 0) files_[channel.key] = channel.text;
    return error;
  });
}

void MemoryFileLayer::Close(FileId id, Where where) {
  std::optional<Channel> taken = channels_.Take(id);
  if (!taken) return;  // closing a closed channel is harmless
  Channel& channel = *taken;
  if (channel.kind == MemoryChannelKind::kOutput) {
    CommitOutput(channel, where);
  } else if (channel.kind != MemoryChannelKind::kInput) {
    // An input is read whole when opened; only the others hold the file open.
    Trapped(FileOp::kClose, kFileIoError, channel.path, where, [] { return 0; });
  }
}

void MemoryFileLayer::CloseAll(Where where) {
  for (FileId id = channels_.First(); id != kNoFile; id = channels_.First()) Close(id, where);
}

void MemoryFileLayer::AbandonOutputs() {
  channels_.EraseIf([](const Channel& channel) { return channel.kind == MemoryChannelKind::kOutput; });
}

std::string MemoryFileLayer::ReadWholeFile(std::string_view name, Where where) {
  FileId id = OpenInput(name, where);
  if (id == kNoFile) return {};
  return std::move(channels_.Take(id)->text);
}

void MemoryFileLayer::Rename(std::string_view from, std::string_view to, Where where) {
  std::string source = Resolve(from);
  std::string target = KeyOf(to);
  Trapped(FileOp::kRename, kFileNotFound, source, where, [&] {
    auto it = files_.find(Key(source));
    if (it == files_.end()) return ENOENT;
    if (int error = Writable(target); error != 0) return error;
    std::string bytes = std::move(it->second);
    files_.erase(it);
    files_[target] = std::move(bytes);
    return 0;
  });
}

void MemoryFileLayer::Copy(std::string_view from, std::string_view to, Where where) {
  std::string source = Resolve(from);
  std::string bytes;
  bool read = Trapped(FileOp::kCopy, kFileNotFound, source, where, [&] {
    auto it = files_.find(Key(source));
    if (it == files_.end()) return directories_.count(Key(source)) > 0 ? kNotARegularFile : ENOENT;
    bytes = it->second;
    return 0;
  });
  if (read) WriteWholeFile(to, bytes, where);
}

bool MemoryFileLayer::Remove(std::string_view name) {
  std::string path = Resolve(name);
  if (faults_.Before(FileOp::kRemove, path) != 0) return false;
  return files_.erase(Key(path)) > 0;
}

bool MemoryFileLayer::MakeDirectory(std::string_view name) {
  std::string path = Resolve(name);
  if (faults_.Before(FileOp::kMakeDir, path) != 0) return false;
  std::string key = Key(path);
  if (files_.count(key) > 0 || directories_.count(key) > 0 || directories_.count(ParentOf(key)) == 0) {
    return false;
  }
  directories_.insert(key);
  return true;
}

bool MemoryFileLayer::Exists(std::string_view name) const {
  std::string key = KeyOf(name);
  return files_.count(key) > 0 || directories_.count(key) > 0;
}

bool MemoryFileLayer::IsDirectory(std::string_view name) const { return directories_.count(KeyOf(name)) > 0; }

std::optional<uint64_t> MemoryFileLayer::FileSize(std::string_view name) const {
  auto it = files_.find(KeyOf(name));
  if (it == files_.end()) return std::nullopt;
  return it->second.size();
}

std::optional<std::string> MemoryFileLayer::TryReadWholeFile(std::string_view name) {
  std::string path = Resolve(name);
  if (faults_.Before(FileOp::kOpen, path) != 0) return std::nullopt;
  auto it = files_.find(Key(path));
  if (it == files_.end()) return std::nullopt;
  return it->second;
}

bool MemoryFileLayer::TryWriteWholeFile(std::string_view name, std::string_view bytes) {
  std::string path = Resolve(name);
  if (faults_.Before(FileOp::kWrite, path) != 0 || Writable(Key(path)) != 0) return false;
  files_[Key(path)] = std::string(bytes);
  return true;
}

bool MemoryFileLayer::TryAppend(std::string_view name, std::string_view bytes) {
  std::string path = Resolve(name);
  if (faults_.Before(FileOp::kWrite, path) != 0 || Writable(Key(path)) != 0) return false;
  files_[Key(path)].append(bytes);
  return true;
}

bool MemoryFileLayer::TryRename(std::string_view from, std::string_view to) {
  std::string source = Resolve(from);
  if (faults_.Before(FileOp::kRename, source) != 0) return false;
  auto it = files_.find(Key(source));
  std::string target = KeyOf(to);
  if (it == files_.end() || Writable(target) != 0) return false;
  std::string bytes = std::move(it->second);
  files_.erase(it);
  files_[target] = std::move(bytes);
  return true;
}

}  // namespace kelvora
