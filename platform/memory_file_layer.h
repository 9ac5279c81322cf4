// The file layer in memory, for tests: files and directories live in maps,
// the operations keep the disk layer's contract (traps, whole-file rewrites
// that replace the old file only when complete, records, names matched
// ignoring case), and any operation can be made to fail through Faults().
#ifndef KELVORA_PLATFORM_MEMORY_FILE_LAYER_H_
#define KELVORA_PLATFORM_MEMORY_FILE_LAYER_H_

#include <map>
#include <set>
#include <vector>

#include "platform/channel_table.h"
#include "platform/file_faults.h"
#include "platform/file_layer.h"

namespace kelvora {

class MemoryFileLayer final : public FileLayer {
 public:
  // Failures go to `handler`. The store starts with its root and "." as
  // empty directories.
  explicit MemoryFileLayer(TrapHandler& handler);
  ~MemoryFileLayer() override;

  // The faults planted in this layer's operations.
  FileFaults& Faults() { return faults_; }
  // Shorthand for Faults().InjectFault.
  void InjectFault(FileOp op, std::string nameSuffix, int times = 1, int skip = 0, int error = 0) {
    faults_.InjectFault(op, std::move(nameSuffix), times, skip, error);
  }
  // Test seams, which count as no operation: `name` is taken as written
  // (relative to the current directory, "\" as "/", case as it stands).
  // The bytes of the file at `name`; nullopt when there is none.
  std::optional<std::string> FileBytes(std::string_view name) const;
  // Puts a file at `name` holding `bytes`; its directory must exist.
  void SetFileBytes(std::string_view name, std::string_view bytes);
  // The names of the files and directories in `directory`, in byte order.
  std::vector<std::string> Entries(std::string_view directory) const;

  void SetCurrentDirectory(std::string path) override { current_ = std::move(path); }
  const std::string& CurrentDirectory() const override { return current_; }
  std::string Resolve(std::string_view name) const override;
  void SetSyncOnCommit(bool /*sync*/) override {}

  FileId OpenInput(std::string_view name, Where where = Where::current()) override;
  FileId OpenOutput(std::string_view name, Where where = Where::current()) override;
  FileId OpenAppend(std::string_view name, Where where = Where::current()) override;
  FileId OpenRecord(std::string_view name, size_t recordLength, Where where = Where::current()) override;
  std::optional<std::string> ReadLine(FileId id, Where where = Where::current()) override;
  bool AtEnd(FileId id) const override;
  void Write(FileId id, std::string_view bytes, Where where = Where::current()) override;
  std::string GetRecord(FileId id, uint32_t number, Where where = Where::current()) override;
  void PutRecord(FileId id, uint32_t number, std::string_view bytes, Where where = Where::current()) override;
  uint32_t RecordCount(FileId id) const override;
  void Close(FileId id, Where where = Where::current()) override;
  void CloseAll(Where where = Where::current()) override;
  void AbandonOutputs() override;
  bool IsOpen(FileId id) const override;

  std::string ReadWholeFile(std::string_view name, Where where = Where::current()) override;
  void Rename(std::string_view from, std::string_view to, Where where = Where::current()) override;
  void Copy(std::string_view from, std::string_view to, Where where = Where::current()) override;

  bool Remove(std::string_view name) override;
  bool MakeDirectory(std::string_view name) override;
  bool Exists(std::string_view name) const override;
  bool IsDirectory(std::string_view name) const override;
  std::optional<uint64_t> FileSize(std::string_view name) const override;
  std::optional<std::string> TryReadWholeFile(std::string_view name) override;
  bool TryWriteWholeFile(std::string_view name, std::string_view bytes) override;
  bool TryAppend(std::string_view name, std::string_view bytes) override;
  bool TryRename(std::string_view from, std::string_view to) override;

 private:
  struct Channel;

  // The store's key for a resolved path: "." and ".." folded away.
  static std::string Key(const std::string& path);
  std::string KeyOf(std::string_view name) const { return Key(Resolve(name)); }
  std::string ExactKey(std::string_view name) const;
  // 0 when a regular file may be written at `key`, else the errno.
  int Writable(const std::string& key) const;
  // Runs `attempt` (which returns 0 or an errno) until it succeeds or the
  // handler says skip; false on skip.
  template <typename Attempt>
  bool Trapped(FileOp op, uint8_t number, const std::string& path, Where where, Attempt attempt);
  // Opens a channel of `kind` once `attempt` succeeds; kNoFile on skip.
  template <typename Attempt>
  FileId Open(Channel channel, Where where, Attempt attempt);
  Channel* Get(FileId id, Where where);
  const Channel* Find(FileId id) const;
  void CommitOutput(Channel& channel, Where where);

  TrapHandler& handler_;
  FileFaults faults_;
  std::string current_ = ".";
  std::map<std::string, std::string> files_;
  std::set<std::string> directories_{"", "/"};
  ChannelTable<Channel> channels_;
};

}  // namespace kelvora

#endif  // KELVORA_PLATFORM_MEMORY_FILE_LAYER_H_
