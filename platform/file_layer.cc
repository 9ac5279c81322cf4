#include "platform/file_layer.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <utility>

namespace kelvora {

enum class ChannelKind { kInput, kOutput, kAppend, kRecord };

struct FileLayer::Channel {
  ChannelKind kind = ChannelKind::kInput;
  std::string path;       // final name
  std::string writePath;  // where the bytes go (a temporary name for kOutput)
  int fd = -1;
  std::string text;  // whole content of an input file
  size_t position = 0;
  size_t recordLength = 0;
};

namespace {

std::string ErrnoText() { return std::strerror(errno); }

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

bool ReadAll(int fd, std::string* out) {
  struct stat info {};
  if (::fstat(fd, &info) == 0 && info.st_size > 0) out->reserve(static_cast<size_t>(info.st_size));
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    out->append(buffer, static_cast<size_t>(n));
  }
}

bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string TempNameFor(const std::string& path) { return path + ".kelvora-tmp"; }

char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return FoldAscii(x) == FoldAscii(y); });
}

bool EntryExists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

// The entry of `directory` named `name` ignoring ASCII case; of several, the
// first in byte order, so the choice never depends on the directory's order.
std::optional<std::string> EntryIgnoringCase(const std::string& directory, std::string_view name) {
  DIR* stream = ::opendir(directory.empty() ? "." : directory.c_str());
  if (stream == nullptr) return std::nullopt;
  std::optional<std::string> found;
  while (const dirent* entry = ::readdir(stream)) {
    std::string_view candidate(entry->d_name);
    if (SameIgnoringAsciiCase(candidate, name) && (!found || candidate < *found))
      found = std::string(candidate);
  }
  ::closedir(stream);
  return found;
}

std::string Joined(const std::string& directory, std::string_view component) {
  return directory.empty() ? std::string(component) : directory + "/" + std::string(component);
}

// `path` below `base`, each component spelt as the entry that exists with
// that name ignoring case. A component that exists as written is taken
// without reading its directory; one that matches nothing is kept as
// written, and so is everything below it, which cannot exist either.
std::string MatchCase(const std::string& base, std::string_view path) {
  std::string resolved = base;
  bool searching = true;
  for (size_t start = 0;;) {
    const size_t end = std::min(path.find('/', start), path.size());
    const std::string_view component = path.substr(start, end - start);
    const std::string directory = resolved;
    resolved = Joined(directory, component);
    if (searching && !component.empty() && component != "." && component != ".." && !EntryExists(resolved)) {
      std::optional<std::string> entry = EntryIgnoringCase(directory, component);
      searching = entry.has_value();
      if (entry) resolved = Joined(directory, *entry);
    }
    if (end == path.size()) return resolved;
    start = end + 1;
  }
}

}  // namespace

FileLayer::FileLayer(TrapHandler& handler) : handler_(handler) {}

FileLayer::~FileLayer() {
  for (auto& [id, channel] : channels_) {
    if (channel.fd >= 0) ::close(channel.fd);
    // An output that never closed is abandoned: the old file stays intact.
    if (channel.kind == ChannelKind::kOutput) ::unlink(channel.writePath.c_str());
  }
}

void FileLayer::SetCurrentDirectory(std::string path) { current_ = std::move(path); }

std::string FileLayer::Resolve(std::string_view name) const {
  std::string path(name);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  if (!path.empty() && path.front() == '/') return path;
  // Names are matched without regard to case, as on the system the data
  // was first kept on; the current directory itself is taken as it is.
  return MatchCase(current_.empty() || current_ == "." ? std::string() : current_, path);
}

void FileLayer::InjectFaultForTesting(FileOp op, std::string nameSuffix, int times, int skip) {
  faults_.push_back(Fault{op, std::move(nameSuffix), skip, times});
}

int FileLayer::OperationCountForTesting(FileOp op) const {
  auto it = counts_.find(op);
  return it == counts_.end() ? 0 : it->second;
}

bool FileLayer::ShouldFail(FileOp op, const std::string& path) {
  ++counts_[op];
  for (Fault& fault : faults_) {
    if (fault.op != op || fault.times <= 0 || !EndsWith(path, fault.suffix)) continue;
    if (fault.skip > 0) {
      --fault.skip;
      continue;
    }
    --fault.times;
    errno = EIO;
    return true;
  }
  return false;
}

template <typename Attempt>
bool FileLayer::Trapped(FileOp op, uint8_t number, const std::string& path, Where where, Attempt attempt) {
  for (;;) {
    std::string why;
    if (!ShouldFail(op, path)) {
      if (attempt()) return true;
      why = ErrnoText();
    } else {
      why = "injected failure";
    }
    TrappedError error{number, where, path + ": " + why};
    if (handler_.Trap(error) == Resume::kSkip) return false;
  }
}

FileId FileLayer::Add(Channel channel) {
  FileId id = nextId_++;
  channels_.emplace(id, std::move(channel));
  return id;
}

FileLayer::Channel* FileLayer::Get(FileId id, Where where) {
  auto it = channels_.find(id);
  if (it != channels_.end()) return &it->second;
  // Using a channel that is not open is a misuse of the file functions, not
  // a disk failure: the handler treats it as an illegal function call.
  static_cast<void>(handler_.Trap(TrappedError{kIllegalFunctionCall, where, "file channel not open"}));
  return nullptr;
}

const FileLayer::Channel* FileLayer::Find(FileId id) const {
  auto it = channels_.find(id);
  return it == channels_.end() ? nullptr : &it->second;
}

bool FileLayer::IsOpen(FileId id) const { return Find(id) != nullptr; }

FileId FileLayer::OpenInput(std::string_view name, Where where) {
  Channel channel;
  channel.kind = ChannelKind::kInput;
  channel.path = Resolve(name);
  bool ok = Trapped(FileOp::kOpen, kFileNotFound, channel.path, where, [&] {
    int fd = ::open(channel.path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    channel.text.clear();
    bool read = ReadAll(fd, &channel.text);
    ::close(fd);
    return read;
  });
  return ok ? Add(std::move(channel)) : kNoFile;
}

FileId FileLayer::OpenOutput(std::string_view name, Where where) {
  Channel channel;
  channel.kind = ChannelKind::kOutput;
  channel.path = Resolve(name);
  channel.writePath = TempNameFor(channel.path);
  bool ok = Trapped(FileOp::kOpen, kFileNotFound, channel.path, where, [&] {
    channel.fd = ::open(channel.writePath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    return channel.fd >= 0;
  });
  return ok ? Add(std::move(channel)) : kNoFile;
}

FileId FileLayer::OpenAppend(std::string_view name, Where where) {
  Channel channel;
  channel.kind = ChannelKind::kAppend;
  channel.path = Resolve(name);
  channel.writePath = channel.path;
  bool ok = Trapped(FileOp::kOpen, kFileNotFound, channel.path, where, [&] {
    channel.fd = ::open(channel.path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    return channel.fd >= 0;
  });
  return ok ? Add(std::move(channel)) : kNoFile;
}

FileId FileLayer::OpenRecord(std::string_view name, size_t recordLength, Where where) {
  Channel channel;
  channel.kind = ChannelKind::kRecord;
  channel.path = Resolve(name);
  channel.writePath = channel.path;
  channel.recordLength = recordLength == 0 ? 1 : recordLength;
  bool ok = Trapped(FileOp::kOpen, kFileNotFound, channel.path, where, [&] {
    channel.fd = ::open(channel.path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    return channel.fd >= 0;
  });
  return ok ? Add(std::move(channel)) : kNoFile;
}

std::optional<std::string> FileLayer::ReadLine(FileId id, Where where) {
  Channel* found = Get(id, where);
  if (found == nullptr) return std::nullopt;
  Channel& channel = *found;
  if (channel.position >= channel.text.size()) return std::nullopt;
  std::optional<std::string> line;
  Trapped(FileOp::kRead, kFileIoError, channel.path, where, [&] {
    size_t end = channel.text.find('\n', channel.position);
    size_t next = end == std::string::npos ? channel.text.size() : end + 1;
    if (end == std::string::npos) end = channel.text.size();
    std::string text = channel.text.substr(channel.position, end - channel.position);
    if (!text.empty() && text.back() == '\r') text.pop_back();
    channel.position = next;
    line = std::move(text);
    return true;
  });
  return line;
}

bool FileLayer::AtEnd(FileId id) const {
  const Channel* channel = Find(id);
  return channel == nullptr || channel->position >= channel->text.size();
}

void FileLayer::Write(FileId id, std::string_view bytes, Where where) {
  Channel* found = Get(id, where);
  if (found == nullptr) return;
  Channel& channel = *found;
  Trapped(FileOp::kWrite, kFileIoError, channel.path, where,
          [&] { return channel.fd >= 0 && WriteAll(channel.fd, bytes); });
}

std::string FileLayer::GetRecord(FileId id, uint32_t number, Where where) {
  Channel* found = Get(id, where);
  if (found == nullptr) return {};
  Channel& channel = *found;
  std::string record(channel.recordLength, '\0');
  Trapped(FileOp::kRead, kFileIoError, channel.path, where, [&] {
    if (number == 0) return false;
    off_t offset = static_cast<off_t>(number - 1) * static_cast<off_t>(channel.recordLength);
    std::fill(record.begin(), record.end(), '\0');
    ssize_t n = ::pread(channel.fd, record.data(), record.size(), offset);
    return n >= 0;
  });
  return record;
}

void FileLayer::PutRecord(FileId id, uint32_t number, std::string_view bytes, Where where) {
  Channel* found = Get(id, where);
  if (found == nullptr) return;
  Channel& channel = *found;
  std::string record(bytes.substr(0, channel.recordLength));
  record.resize(channel.recordLength, ' ');
  Trapped(FileOp::kWrite, kFileIoError, channel.path, where, [&] {
    if (number == 0) return false;
    off_t offset = static_cast<off_t>(number - 1) * static_cast<off_t>(channel.recordLength);
    return ::pwrite(channel.fd, record.data(), record.size(), offset) == static_cast<ssize_t>(record.size());
  });
}

uint32_t FileLayer::RecordCount(FileId id) const {
  const Channel* channel = Find(id);
  if (channel == nullptr || channel->fd < 0) return 0;
  struct stat info {};
  if (::fstat(channel->fd, &info) != 0) return 0;
  return static_cast<uint32_t>(static_cast<size_t>(info.st_size) / channel->recordLength);
}

void FileLayer::CommitOutput(Channel& channel, Where where) {
  if (syncOnCommit_) ::fsync(channel.fd);
  Trapped(FileOp::kClose, kFileIoError, channel.path, where, [&] { return ::close(channel.fd) == 0; });
  channel.fd = -1;
  Trapped(FileOp::kRename, kFileIoError, channel.path, where,
          [&] { return ::rename(channel.writePath.c_str(), channel.path.c_str()) == 0; });
}

void FileLayer::Close(FileId id, Where where) {
  auto it = channels_.find(id);
  if (it == channels_.end()) return;  // closing a closed channel is harmless
  Channel channel = std::move(it->second);
  channels_.erase(it);
  if (channel.kind == ChannelKind::kOutput) {
    CommitOutput(channel, where);
  } else if (channel.fd >= 0) {
    Trapped(FileOp::kClose, kFileIoError, channel.path, where, [&] { return ::close(channel.fd) == 0; });
  }
}

void FileLayer::CloseAll(Where where) {
  while (!channels_.empty()) Close(channels_.begin()->first, where);
}

std::string FileLayer::ReadWholeFile(std::string_view name, Where where) {
  FileId id = OpenInput(name, where);
  if (id == kNoFile) return {};
  std::string text = std::move(channels_.at(id).text);
  channels_.erase(id);
  return text;
}

void FileLayer::WriteWholeFile(std::string_view name, std::string_view bytes, Where where) {
  FileId id = OpenOutput(name, where);
  if (id == kNoFile) return;
  Write(id, bytes, where);
  Close(id, where);
}

void FileLayer::Rename(std::string_view from, std::string_view to, Where where) {
  std::string source = Resolve(from);
  std::string target = Resolve(to);
  Trapped(FileOp::kRename, kFileNotFound, source, where,
          [&] { return ::rename(source.c_str(), target.c_str()) == 0; });
}

void FileLayer::Copy(std::string_view from, std::string_view to, Where where) {
  std::string source = Resolve(from);
  std::string target = Resolve(to);
  std::string bytes;
  bool read = Trapped(FileOp::kCopy, kFileNotFound, source, where, [&] {
    int fd = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    bytes.clear();
    bool ok = ReadAll(fd, &bytes);
    ::close(fd);
    return ok;
  });
  if (read) WriteWholeFile(to, bytes, where);
}

bool FileLayer::Remove(std::string_view name) {
  std::string path = Resolve(name);
  if (ShouldFail(FileOp::kRemove, path)) return false;
  return ::unlink(path.c_str()) == 0;
}

bool FileLayer::MakeDirectory(std::string_view name) {
  std::string path = Resolve(name);
  if (ShouldFail(FileOp::kMakeDir, path)) return false;
  return ::mkdir(path.c_str(), 0755) == 0;
}

bool FileLayer::Exists(std::string_view name) const {
  struct stat info {};
  return ::stat(Resolve(name).c_str(), &info) == 0;
}

std::optional<uint64_t> FileLayer::FileSize(std::string_view name) const {
  struct stat info {};
  if (::stat(Resolve(name).c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  return static_cast<uint64_t>(info.st_size);
}

bool FileLayer::IsDirectory(std::string_view name) const {
  struct stat info {};
  return ::stat(Resolve(name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::optional<std::string> FileLayer::TryReadWholeFile(std::string_view name) {
  std::string path = Resolve(name);
  if (ShouldFail(FileOp::kOpen, path)) return std::nullopt;
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string bytes;
  bool ok = ReadAll(fd, &bytes);
  ::close(fd);
  if (!ok) return std::nullopt;
  return bytes;
}

bool FileLayer::TryWriteWholeFile(std::string_view name, std::string_view bytes) {
  std::string path = Resolve(name);
  std::string temp = TempNameFor(path);
  if (ShouldFail(FileOp::kWrite, path)) return false;
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, bytes);
  if (ok && syncOnCommit_) ok = ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok) ok = ::rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

bool FileLayer::TryAppend(std::string_view name, std::string_view bytes) {
  std::string path = Resolve(name);
  if (ShouldFail(FileOp::kWrite, path)) return false;
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, bytes);
  return (::close(fd) == 0) && ok;
}

bool FileLayer::TryRename(std::string_view from, std::string_view to) {
  std::string source = Resolve(from);
  if (ShouldFail(FileOp::kRename, source)) return false;
  return ::rename(source.c_str(), Resolve(to).c_str()) == 0;
}

}  // namespace kelvora
