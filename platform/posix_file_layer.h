// The file layer on the disk. A whole-file rewrite is written beside its
// final name and renamed over it on close, synced first unless told not to.
// Files are opened without blocking: a pipe or a device in place of a data
// file is refused instead of hanging the program. A symbolic link is written
// through: its target is replaced, the link stays.
#ifndef KELVORA_PLATFORM_POSIX_FILE_LAYER_H_
#define KELVORA_PLATFORM_POSIX_FILE_LAYER_H_

#include <map>

#include "platform/channel_table.h"
#include "platform/file_faults.h"
#include "platform/file_layer.h"

namespace kelvora {

class PosixFileLayer final : public FileLayer {
 public:
  // Failures go to `handler`. `faults`, when given, is asked before every
  // operation and must outlive the layer: the fault and kill campaigns fail
  // or stop the real disk's operations one by one through it.
  explicit PosixFileLayer(TrapHandler& handler, FileFaults* faults = nullptr);
  ~PosixFileLayer() override;

  void SetCurrentDirectory(std::string path) override { current_ = std::move(path); }
  const std::string& CurrentDirectory() const override { return current_; }
  std::string Resolve(std::string_view name) const override;
  void SetSyncOnCommit(bool sync) override { syncOnCommit_ = sync; }

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

  // Whether the planted faults fail this operation; errno is then set.
  bool ShouldFail(FileOp op, const std::string& path);
  // Runs `attempt` until it succeeds or the handler says skip; false on skip.
  template <typename Attempt>
  bool Trapped(FileOp op, uint8_t number, const std::string& path, Where where, Attempt attempt);
  Channel* Get(FileId id, Where where);
  const Channel* Find(FileId id) const;
  void CommitOutput(Channel& channel, Where where);
  void SyncDirectoryOf(const std::string& path) const;

  TrapHandler& handler_;
  FileFaults* const faults_;
  std::string current_ = ".";
  bool syncOnCommit_ = true;
  ChannelTable<Channel> channels_;
};

}  // namespace kelvora

#endif  // KELVORA_PLATFORM_POSIX_FILE_LAYER_H_
