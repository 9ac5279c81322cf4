#include "platform/posix_file_layer.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>

namespace kelvora {

enum class ChannelKind { kInput, kOutput, kAppend, kRecord };

struct PosixFileLayer::Channel {
  ChannelKind kind = ChannelKind::kInput;
  std::string path;       // final name
  std::string writePath;  // where the bytes go (a temporary name for kOutput)
  int fd = -1;
  std::string text;  // whole content of an input file; every byte of an output
  size_t position = 0;
  size_t recordLength = 0;
  bool failed = false;  // an output with a skipped write is never committed
};

namespace {

bool WriteAll(int fd, std::string_view bytes);

// Opens a regular file without blocking: a pipe or device in its place is
// refused before open() could wait for a writer.
int OpenRegular(const std::string& path, int flags) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    errno = kNotARegularFile;
    return -1;
  }
  int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0644);
  if (fd < 0) return -1;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    errno = kNotARegularFile;
    return -1;
  }
  return fd;
}

// A symbolic link is written through: its target is replaced, the link stays.
std::string FinalPath(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
  char* target = ::realpath(path.c_str(), nullptr);
  if (target == nullptr) return path;
  std::string resolved(target);
  ::free(target);
  return resolved;
}

// Writes `bytes` as the whole content of `temp`, synced when asked; `fd` is
// the open temporary file or -1. Every attempt starts again from the first
// byte, so a retry after a short write never doubles what was written.
bool WriteTemporary(int& fd, const std::string& temp, std::string_view bytes, bool sync) {
  if (fd < 0) {
    ::unlink(temp.c_str());
    fd = OpenRegular(temp, O_WRONLY | O_CREAT | O_TRUNC);
  } else if (::ftruncate(fd, 0) != 0 || ::lseek(fd, 0, SEEK_SET) < 0) {
    return false;
  }
  if (fd < 0) return false;
  bool ok = WriteAll(fd, bytes) && (!sync || ::fsync(fd) == 0);
  if (!ok) return false;
  int closing = fd;
  fd = -1;
  return ::close(closing) == 0;
}

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

std::string TempNameFor(const std::string& path) { return path + ".kelvora-tmp"; }

std::string DirectoryOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

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

}  // namespace

PosixFileLayer::PosixFileLayer(TrapHandler& handler, FileFaults* faults)
    : handler_(handler), faults_(faults) {}

PosixFileLayer::~PosixFileLayer() {
  channels_.ForEach([](Channel& channel) {
    if (channel.fd >= 0) ::close(channel.fd);
    // An output that never closed is abandoned: the old file stays intact.
    if (channel.kind == ChannelKind::kOutput) ::unlink(channel.writePath.c_str());
  });
}

std::string PosixFileLayer::Resolve(std::string_view name) const {
  return ResolveName(current_, name, NameLookup{EntryExists, EntryIgnoringCase});
}

bool PosixFileLayer::ShouldFail(FileOp op, const std::string& path) {
  if (faults_ == nullptr) return false;
  int error = faults_->Before(op, path);
  if (error != 0) errno = error;
  return error != 0;
}

template <typename Attempt>
bool PosixFileLayer::Trapped(FileOp op, uint8_t number, const std::string& path, Where where,
                             Attempt attempt) {
  for (;;) {
    bool injected = ShouldFail(op, path);
    if (!injected && attempt()) return true;
    if (handler_.Trap(FileFailure(number, where, path, errno, injected)) == Resume::kSkip) return false;
  }
}

PosixFileLayer::Channel* PosixFileLayer::Get(FileId id, Where where) {
  return channels_.Get(id, where, handler_);
}

const PosixFileLayer::Channel* PosixFileLayer::Find(FileId id) const { return channels_.Find(id); }

bool PosixFileLayer::IsOpen(FileId id) const { return Find(id) != nullptr; }

FileId PosixFileLayer::OpenInput(std::string_view name, Where where) {
  Channel channel;
  channel.kind = ChannelKind::kInput;
  channel.path = Resolve(name);
  bool ok = Trapped(FileOp::kOpen, kFileNotFound, channel.path, where, [&] {
    int fd = OpenRegular(channel.path, O_RDONLY);
    if (fd < 0) return false;
    channel.text.clear();
    bool read = ReadAll(fd, &channel.text);
    ::close(fd);
    return read;
  });
  return ok ? channels_.Add(std::move(channel)) : kNoFile;
}

FileId PosixFileLayer::OpenOutput(std::string_view name, Where where) {
  Channel channel;
  channel.kind = ChannelKind::kOutput;
  channel.path = FinalPath(Resolve(name));
  channel.writePath = TempNameFor(channel.path);
  // The bytes are kept until the close writes them in one go; the temporary
  // file is created now so that a file that cannot be made fails here.
  bool ok = Trapped(FileOp::kOpen, kFileNotFound, channel.path, where, [&] {
    struct stat info {};
    if (::stat(channel.path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
      errno = kNotARegularFile;
      return false;
    }
    ::unlink(channel.writePath.c_str());
    channel.fd = OpenRegular(channel.writePath, O_WRONLY | O_CREAT | O_TRUNC);
    return channel.fd >= 0;
  });
  return ok ? channels_.Add(std::move(channel)) : kNoFile;
}

FileId PosixFileLayer::OpenAppend(std::string_view name, Where where) {
  Channel channel;
  channel.kind = ChannelKind::kAppend;
  channel.path = Resolve(name);
  channel.writePath = channel.path;
  bool ok = Trapped(FileOp::kOpen, kFileNotFound, channel.path, where, [&] {
    channel.fd = OpenRegular(channel.path, O_WRONLY | O_CREAT | O_APPEND);
    return channel.fd >= 0;
  });
  return ok ? channels_.Add(std::move(channel)) : kNoFile;
}

FileId PosixFileLayer::OpenRecord(std::string_view name, size_t recordLength, Where where) {
  Channel channel;
  channel.kind = ChannelKind::kRecord;
  channel.path = Resolve(name);
  channel.writePath = channel.path;
  channel.recordLength = recordLength == 0 ? 1 : recordLength;
  bool ok = Trapped(FileOp::kOpen, kFileNotFound, channel.path, where, [&] {
    channel.fd = OpenRegular(channel.path, O_RDWR | O_CREAT);
    return channel.fd >= 0;
  });
  return ok ? channels_.Add(std::move(channel)) : kNoFile;
}

std::optional<std::string> PosixFileLayer::ReadLine(FileId id, Where where) {
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

bool PosixFileLayer::AtEnd(FileId id) const {
  const Channel* channel = Find(id);
  return channel == nullptr || channel->position >= channel->text.size();
}

void PosixFileLayer::Write(FileId id, std::string_view bytes, Where where) {
  Channel* found = Get(id, where);
  if (found == nullptr) return;
  Channel& channel = *found;
  if (channel.kind == ChannelKind::kOutput) {
    // Marked failed until the write is through: a stop from inside the
    // handler must not commit what was never written.
    const bool failedBefore = channel.failed;
    channel.failed = true;
    if (Trapped(FileOp::kWrite, kFileIoError, channel.path, where, [] { return true; })) {
      channel.failed = failedBefore;
      channel.text.append(bytes);
    }
    return;
  }
  // An append that fails part-way is cut back to where it began, so that a
  // retry writes the bytes once and a skip leaves no half line.
  const off_t before = channel.fd >= 0 ? ::lseek(channel.fd, 0, SEEK_END) : -1;
  bool written = Trapped(FileOp::kWrite, kFileIoError, channel.path, where, [&] {
    if (channel.fd < 0 || before < 0 || ::ftruncate(channel.fd, before) != 0) return false;
    return WriteAll(channel.fd, bytes);
  });
  if (!written && before >= 0) static_cast<void>(::ftruncate(channel.fd, before));
}

std::string PosixFileLayer::GetRecord(FileId id, uint32_t number, Where where) {
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

void PosixFileLayer::PutRecord(FileId id, uint32_t number, std::string_view bytes, Where where) {
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

uint32_t PosixFileLayer::RecordCount(FileId id) const {
  const Channel* channel = Find(id);
  if (channel == nullptr || channel->fd < 0) return 0;
  struct stat info {};
  if (::fstat(channel->fd, &info) != 0) return 0;
  return static_cast<uint32_t>(static_cast<size_t>(info.st_size) / channel->recordLength);
}

void PosixFileLayer::CommitOutput(Channel& channel, Where where) {
  // The old file is replaced only once every byte is on the disk; whatever
  // failed and was skipped, or stopped the program, leaves it as it was, and
  // no temporary file behind.
  struct Abandon {
    Channel& channel;
    bool armed = true;
    ~Abandon() {
      if (!armed) return;
      if (channel.fd >= 0) ::close(channel.fd);
      channel.fd = -1;
      ::unlink(channel.writePath.c_str());
    }
  } abandon{channel};
  bool ok = !channel.failed && Trapped(FileOp::kClose, kFileIoError, channel.path, where, [&] {
    return WriteTemporary(channel.fd, channel.writePath, channel.text, syncOnCommit_);
  });
  if (ok) {
    ok = Trapped(FileOp::kRename, kFileIoError, channel.path, where,
                 [&] { return ::rename(channel.writePath.c_str(), channel.path.c_str()) == 0; });
  }
  if (!ok) return;
  abandon.armed = false;
  SyncDirectoryOf(channel.path);
}

void PosixFileLayer::SyncDirectoryOf(const std::string& path) const {
  // A rename lives in the directory: without this a power cut can undo it.
  if (!syncOnCommit_) return;
  int fd = ::open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

void PosixFileLayer::Close(FileId id, Where where) {
  std::optional<Channel> taken = channels_.Take(id);
  if (!taken) return;  // closing a closed channel is harmless
  Channel& channel = *taken;
  if (channel.kind == ChannelKind::kOutput) {
    CommitOutput(channel, where);
  } else if (channel.fd >= 0) {
    Trapped(FileOp::kClose, kFileIoError, channel.path, where, [&] { return ::close(channel.fd) == 0; });
  }
}

void PosixFileLayer::AbandonOutputs() {
  channels_.EraseIf([](Channel& channel) {
    if (channel.kind != ChannelKind::kOutput) return false;
    if (channel.fd >= 0) ::close(channel.fd);
    ::unlink(channel.writePath.c_str());
    return true;
  });
}

void PosixFileLayer::CloseAll(Where where) {
  for (FileId id = channels_.First(); id != kNoFile; id = channels_.First()) Close(id, where);
}

std::string PosixFileLayer::ReadWholeFile(std::string_view name, Where where) {
  FileId id = OpenInput(name, where);
  if (id == kNoFile) return {};
  return std::move(channels_.Take(id)->text);
}

void PosixFileLayer::Rename(std::string_view from, std::string_view to, Where where) {
  std::string source = Resolve(from);
  std::string target = Resolve(to);
  if (Trapped(FileOp::kRename, kFileNotFound, source, where,
              [&] { return ::rename(source.c_str(), target.c_str()) == 0; })) {
    SyncDirectoryOf(target);
  }
}

void PosixFileLayer::Copy(std::string_view from, std::string_view to, Where where) {
  std::string source = Resolve(from);
  std::string target = Resolve(to);
  std::string bytes;
  bool read = Trapped(FileOp::kCopy, kFileNotFound, source, where, [&] {
    int fd = OpenRegular(source, O_RDONLY);
    if (fd < 0) return false;
    bytes.clear();
    bool ok = ReadAll(fd, &bytes);
    ::close(fd);
    return ok;
  });
  if (read) WriteWholeFile(to, bytes, where);
}

bool PosixFileLayer::Remove(std::string_view name) {
  std::string path = Resolve(name);
  if (ShouldFail(FileOp::kRemove, path)) return false;
  return ::unlink(path.c_str()) == 0;
}

bool PosixFileLayer::MakeDirectory(std::string_view name) {
  std::string path = Resolve(name);
  if (ShouldFail(FileOp::kMakeDir, path)) return false;
  return ::mkdir(path.c_str(), 0755) == 0;
}

bool PosixFileLayer::Exists(std::string_view name) const {
  struct stat info {};
  return ::stat(Resolve(name).c_str(), &info) == 0;
}

std::optional<uint64_t> PosixFileLayer::FileSize(std::string_view name) const {
  struct stat info {};
  if (::stat(Resolve(name).c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  return static_cast<uint64_t>(info.st_size);
}

bool PosixFileLayer::IsDirectory(std::string_view name) const {
  struct stat info {};
  return ::stat(Resolve(name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::optional<std::string> PosixFileLayer::TryReadWholeFile(std::string_view name) {
  std::string path = Resolve(name);
  if (ShouldFail(FileOp::kOpen, path)) return std::nullopt;
  int fd = OpenRegular(path, O_RDONLY);
  if (fd < 0) return std::nullopt;
  std::string bytes;
  bool ok = ReadAll(fd, &bytes);
  ::close(fd);
  if (!ok) return std::nullopt;
  return bytes;
}

bool PosixFileLayer::TryWriteWholeFile(std::string_view name, std::string_view bytes) {
  std::string path = FinalPath(Resolve(name));
  std::string temp = TempNameFor(path);
  if (ShouldFail(FileOp::kWrite, path)) return false;
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) return false;
  int fd = -1;
  bool ok = WriteTemporary(fd, temp, bytes, syncOnCommit_);
  if (fd >= 0) ::close(fd);
  if (ok) ok = ::rename(temp.c_str(), path.c_str()) == 0;
  if (ok) {
    SyncDirectoryOf(path);
  } else {
    ::unlink(temp.c_str());
  }
  return ok;
}

bool PosixFileLayer::TryAppend(std::string_view name, std::string_view bytes) {
  std::string path = Resolve(name);
  if (ShouldFail(FileOp::kWrite, path)) return false;
  int fd = OpenRegular(path, O_WRONLY | O_CREAT | O_APPEND);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, bytes);
  return (::close(fd) == 0) && ok;
}

bool PosixFileLayer::TryRename(std::string_view from, std::string_view to) {
  std::string source = Resolve(from);
  if (ShouldFail(FileOp::kRename, source)) return false;
  std::string target = Resolve(to);
  if (::rename(source.c_str(), target.c_str()) != 0) return false;
  SyncDirectoryOf(target);
  return true;
}

}  // namespace kelvora
