// The one way the program touches files, as an interface: PosixFileLayer is
// the disk, MemoryFileLayer a fake for tests. Every operation that fails is
// handed to the trap handler at the point of failure (open: error 2, read,
// write, close, rename, copy: error 3), which retries it, skips it or stops
// the program. Names may use "\" as the original did; they are resolved
// against the layer's current directory, which is the program's own notion of
// it, not the process's, and matched without regard to ASCII case. A file
// that is rewritten whole replaces the old one only once every byte of it is
// written, so a crash never leaves half a file; a rewrite any of whose steps
// failed never replaces the old file. Only regular files are opened: a pipe
// or a device in place of a data file is refused by name.
#ifndef KELVORA_PLATFORM_FILE_LAYER_H_
#define KELVORA_PLATFORM_FILE_LAYER_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/trap.h"

namespace kelvora {

enum class FileOp {
  kOpen,
  kRead,
  kWrite,
  kClose,
  kRename,
  kCopy,
  kRemove,
  kMakeDir,
};

using FileId = int;
inline constexpr FileId kNoFile = 0;

class FileLayer {
 public:
  using Where = SourceLocation;

  FileLayer() = default;
  virtual ~FileLayer() = default;
  FileLayer(const FileLayer&) = delete;
  FileLayer& operator=(const FileLayer&) = delete;

  // The directory that relative names are resolved against.
  virtual void SetCurrentDirectory(std::string path) = 0;
  virtual const std::string& CurrentDirectory() const = 0;
  // "..\Settings.ini" -> "<current>/../Settings.ini"; absolute names stay.
  virtual std::string Resolve(std::string_view name) const = 0;

  // Whether a whole-file rewrite is flushed to the disk before it replaces
  // the old file. On by default; the simulator turns it off for speed.
  virtual void SetSyncOnCommit(bool sync) = 0;

  // --- Channels -----------------------------------------------------------
  // Text input: the file must exist. Lines end at LF; a CR before it is dropped.
  virtual FileId OpenInput(std::string_view name, Where where = Where::current()) = 0;
  // Text output that replaces the file whole when closed.
  virtual FileId OpenOutput(std::string_view name, Where where = Where::current()) = 0;
  // Text output appended to the file, which is created when missing.
  virtual FileId OpenAppend(std::string_view name, Where where = Where::current()) = 0;
  // Random access with fixed-length records numbered from 1; created when missing.
  virtual FileId OpenRecord(std::string_view name, size_t recordLength, Where where = Where::current()) = 0;

  // The next line without its line end; nullopt at the end of the file.
  virtual std::optional<std::string> ReadLine(FileId id, Where where = Where::current()) = 0;
  virtual bool AtEnd(FileId id) const = 0;
  virtual void Write(FileId id, std::string_view bytes, Where where = Where::current()) = 0;
  // Record `number` (from 1); past the end of the file the record reads as zero bytes.
  virtual std::string GetRecord(FileId id, uint32_t number, Where where = Where::current()) = 0;
  virtual void PutRecord(FileId id, uint32_t number, std::string_view bytes,
                         Where where = Where::current()) = 0;
  virtual uint32_t RecordCount(FileId id) const = 0;
  virtual void Close(FileId id, Where where = Where::current()) = 0;
  // Closes every open channel; pending whole-file rewrites are committed.
  virtual void CloseAll(Where where = Where::current()) = 0;
  // Drops every unfinished rewrite without touching its file: what a stop
  // interrupted half-way is never put in place of the old file.
  virtual void AbandonOutputs() = 0;
  virtual bool IsOpen(FileId id) const = 0;

  // --- Whole files and names ----------------------------------------------
  virtual std::string ReadWholeFile(std::string_view name, Where where = Where::current()) = 0;
  // Rewrites the whole file: an output channel written and closed at once.
  void WriteWholeFile(std::string_view name, std::string_view bytes, Where where = Where::current());
  // Adds `bytes` at the end of the file: an append channel written and closed at once.
  void AppendToFile(std::string_view name, std::string_view bytes, Where where = Where::current());
  virtual void Rename(std::string_view from, std::string_view to, Where where = Where::current()) = 0;
  virtual void Copy(std::string_view from, std::string_view to, Where where = Where::current()) = 0;

  // Operations whose failure the program ignores: they report it and never trap.
  virtual bool Remove(std::string_view name) = 0;
  virtual bool MakeDirectory(std::string_view name) = 0;
  virtual bool Exists(std::string_view name) const = 0;
  virtual bool IsDirectory(std::string_view name) const = 0;
  // The size of a regular file; nullopt when there is none.
  virtual std::optional<uint64_t> FileSize(std::string_view name) const = 0;
  virtual std::optional<std::string> TryReadWholeFile(std::string_view name) = 0;
  virtual bool TryWriteWholeFile(std::string_view name, std::string_view bytes) = 0;
  virtual bool TryAppend(std::string_view name, std::string_view bytes) = 0;
  virtual bool TryRename(std::string_view from, std::string_view to) = 0;
};

// --- For the layers' implementations ----------------------------------------

// Set as errno when a name is there but is not a regular file; beyond the
// system's own numbers.
inline constexpr int kNotARegularFile = 100000;

// What a layer hands its trap handler when operation `number` on `path`
// failed with `error`; `injected` when a planted fault made it fail.
TrappedError FileFailure(uint8_t number, SourceLocation where, const std::string& path, int error,
                         bool injected);

// How the entries of a store look to name resolution.
struct NameLookup {
  // Whether an entry is there as written.
  std::function<bool(const std::string& path)> exists;
  // The entry of `directory` ("" for the current one) named `name` ignoring
  // ASCII case; of several, the first in byte order.
  std::function<std::optional<std::string>(const std::string& directory, std::string_view name)> ignoringCase;
};

// `name` with "\" as "/", relative to `current` unless it is absolute, each
// component spelt as the entry that exists with that name ignoring case, as
// on the system the data was first kept on. The current directory itself is
// taken as it is.
std::string ResolveName(const std::string& current, std::string_view name, const NameLookup& lookup);

}  // namespace kelvora

#endif  // KELVORA_PLATFORM_FILE_LAYER_H_
