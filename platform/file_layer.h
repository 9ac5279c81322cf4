// The one way the program touches files. Every operation that fails is handed
// to the trap handler at the point of failure (open: error 2, read, write,
// close, rename, copy: error 3), which retries it, skips it or stops the
// program. Names may use "\" as the original did; they are resolved against
// the layer's current directory, which is the program's own notion of it, not
// the process's. A file that is rewritten whole is written beside its final
// name and renamed over it on close, so a crash never leaves half a file; a
// rewrite any of whose steps failed never replaces the old file. Only regular
// files are opened, and without blocking: a pipe or a device in place of a
// data file is refused by name instead of hanging the program.
#ifndef KELVORA_PLATFORM_FILE_LAYER_H_
#define KELVORA_PLATFORM_FILE_LAYER_H_

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

  explicit FileLayer(TrapHandler& handler);
  ~FileLayer();
  FileLayer(const FileLayer&) = delete;
  FileLayer& operator=(const FileLayer&) = delete;

  // The directory that relative names are resolved against.
  void SetCurrentDirectory(std::string path);
  const std::string& CurrentDirectory() const { return current_; }
  // "..\Settings.ini" -> "<current>/../Settings.ini"; absolute names stay.
  std::string Resolve(std::string_view name) const;

  // Whether fsync runs before a whole-file rewrite is renamed into place.
  // On by default; the simulator turns it off for speed.
  void SetSyncOnCommit(bool sync) { syncOnCommit_ = sync; }

  // --- Channels -----------------------------------------------------------
  // Text input: the file must exist. Lines end at LF; a CR before it is dropped.
  FileId OpenInput(std::string_view name, Where where = Where::current());
  // Text output that replaces the file whole when closed.
  FileId OpenOutput(std::string_view name, Where where = Where::current());
  // Text output appended to the file, which is created when missing.
  FileId OpenAppend(std::string_view name, Where where = Where::current());
  // Random access with fixed-length records numbered from 1; created when missing.
  FileId OpenRecord(std::string_view name, size_t recordLength, Where where = Where::current());

  // The next line without its line end; nullopt at the end of the file.
  std::optional<std::string> ReadLine(FileId id, Where where = Where::current());
  bool AtEnd(FileId id) const;
  void Write(FileId id, std::string_view bytes, Where where = Where::current());
  // Record `number` (from 1); past the end of the file the record reads as zero bytes.
  std::string GetRecord(FileId id, uint32_t number, Where where = Where::current());
  void PutRecord(FileId id, uint32_t number, std::string_view bytes, Where where = Where::current());
  uint32_t RecordCount(FileId id) const;
  void Close(FileId id, Where where = Where::current());
  // Closes every open channel; pending whole-file rewrites are committed.
  void CloseAll(Where where = Where::current());
  // Drops every unfinished rewrite without touching its file: what a stop
  // interrupted half-way is never put in place of the old file.
  void AbandonOutputs();
  bool IsOpen(FileId id) const;

  // --- Whole files and names ----------------------------------------------
  std::string ReadWholeFile(std::string_view name, Where where = Where::current());
  void WriteWholeFile(std::string_view name, std::string_view bytes, Where where = Where::current());
  void Rename(std::string_view from, std::string_view to, Where where = Where::current());
  void Copy(std::string_view from, std::string_view to, Where where = Where::current());

  // Operations whose failure the program ignores: they report it and never trap.
  bool Remove(std::string_view name);
  bool MakeDirectory(std::string_view name);
  bool Exists(std::string_view name) const;
  bool IsDirectory(std::string_view name) const;
  // The size of a regular file; nullopt when there is none.
  std::optional<uint64_t> FileSize(std::string_view name) const;
  std::optional<std::string> TryReadWholeFile(std::string_view name);
  bool TryWriteWholeFile(std::string_view name, std::string_view bytes);
  bool TryAppend(std::string_view name, std::string_view bytes);
  bool TryRename(std::string_view from, std::string_view to);

  // --- Test seam ------------------------------------------------------------
  // Makes operation `op` on a name ending in `nameSuffix` (empty: any name)
  // fail `times` times, after letting `skip` matching operations succeed.
  // `error` is the errno the failure reports.
  void InjectFaultForTesting(FileOp op, std::string nameSuffix, int times = 1, int skip = 0, int error = 0);
  void ClearFaultsForTesting() { faults_.clear(); }
  // How many operations of each kind ran (failed ones included).
  int OperationCountForTesting(FileOp op) const;
  // Every operation, of any kind, is numbered from 1 in the order it runs;
  // `hook` sees each number before the operation and makes it fail (with
  // the errno it returns) by returning non-zero. For fault and kill campaigns.
  using OperationHook = std::function<int(int number, FileOp op, const std::string& path)>;
  void SetOperationHookForTesting(OperationHook hook) { hook_ = std::move(hook); }
  int OperationNumberForTesting() const { return operationNumber_; }

 private:
  struct Channel;
  struct Fault {
    FileOp op;
    std::string suffix;
    int skip;
    int times;
    int error;
  };

  bool ShouldFail(FileOp op, const std::string& path);
  // Runs `attempt` until it succeeds or the handler says skip; false on skip.
  template <typename Attempt>
  bool Trapped(FileOp op, uint8_t number, const std::string& path, Where where, Attempt attempt);
  Channel* Get(FileId id, Where where);
  const Channel* Find(FileId id) const;
  FileId Add(Channel channel);
  void CommitOutput(Channel& channel, Where where);
  void SyncDirectoryOf(const std::string& path) const;

  TrapHandler& handler_;
  std::string current_ = ".";
  bool syncOnCommit_ = true;
  FileId nextId_ = 1;
  std::map<FileId, Channel> channels_;
  std::vector<Fault> faults_;
  std::map<FileOp, int> counts_;
  int operationNumber_ = 0;
  OperationHook hook_;
};

}  // namespace kelvora

#endif  // KELVORA_PLATFORM_FILE_LAYER_H_
