// The file layer's contract, held by the disk and the in-memory layer alike,
// then what only the disk can show: short writes, pipes, links, temporaries.
#include "platform/file_layer.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/memory_file_layer.h"
#include "platform/posix_file_layer.h"
#include "tests/support/fakes.h"

namespace kelvora {
namespace {

using testing::ReadFileBytes;
using testing::RecordingTrapHandler;
using testing::TempDir;
using testing::WriteFileBytes;
using Names = std::vector<std::string>;

// A layer on a scratch directory, with the bytes of its files at hand.
struct OnDisk {
  OnDisk() { fileLayer.SetCurrentDirectory(dir.path()); }
  void Put(const std::string& name, const std::string& bytes) { WriteFileBytes(dir.File(name), bytes); }
  std::string Bytes(const std::string& name) const { return ReadFileBytes(dir.File(name)); }
  void MakeDir(const std::string& name) { std::filesystem::create_directories(dir.File(name)); }
  Names Entries() const {
    Names names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
      names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
  std::string Path(const std::string& name) const { return dir.File(name); }

  TempDir dir;
  RecordingTrapHandler handler;
  FileFaults faults;
  PosixFileLayer fileLayer{handler, &faults};
};

// A layer in memory, the same at hand.
struct InMemory {
  void Put(const std::string& name, const std::string& bytes) { fileLayer.SetFileBytes(name, bytes); }
  std::string Bytes(const std::string& name) const { return fileLayer.FileBytes(name).value_or(""); }
  void MakeDir(const std::string& name) { fileLayer.MakeDirectory(name); }
  Names Entries() const { return fileLayer.Entries("."); }
  std::string Path(const std::string& name) const { return name; }

  RecordingTrapHandler handler;
  MemoryFileLayer fileLayer{handler};
  FileFaults& faults = fileLayer.Faults();
};

template <typename Store>
class FileLayerTest : public ::testing::Test, public Store {
 protected:
  FileLayer& Layer() { return this->fileLayer; }
  const std::vector<TrappedError>& Errors() const { return this->handler.errors; }
};

using Stores = ::testing::Types<OnDisk, InMemory>;
TYPED_TEST_SUITE(FileLayerTest, Stores);

TYPED_TEST(FileLayerTest, BackslashNamesResolveAgainstTheCurrentDirectory) {
  FileLayer& files = this->Layer();
  files.SetCurrentDirectory("/home/kelvora/DATA");
  EXPECT_EQ(files.Resolve("..\\Settings.ini"), "/home/kelvora/DATA/../Settings.ini");
  EXPECT_EQ(files.Resolve("History\\TEMP.19"), "/home/kelvora/DATA/History/TEMP.19");
  EXPECT_EQ(files.Resolve("/etc/x"), "/etc/x");
}

TYPED_TEST(FileLayerTest, OpeningAMissingFileTrapsErrorTwoAtTheCallersLine) {
  int line = __LINE__ + 1;
  EXPECT_EQ(this->Layer().OpenInput("NOPE.prg"), kNoFile);
  ASSERT_EQ(this->Errors().size(), 1u);
  EXPECT_EQ(this->Errors()[0].number, kFileNotFound);
  EXPECT_EQ(static_cast<int>(this->Errors()[0].where.line()), line);
  EXPECT_NE(std::string(this->Errors()[0].where.file_name()).find("file_layer_test"), std::string::npos);
}

TYPED_TEST(FileLayerTest, ReadLineDropsCrLfAndReportsTheEnd) {
  FileLayer& files = this->Layer();
  this->Put("DAYS.prg", "Monday,WEEK\r\nSunday,REST\nlast");
  FileId id = files.OpenInput("DAYS.prg");
  EXPECT_EQ(files.ReadLine(id), "Monday,WEEK");
  EXPECT_EQ(files.ReadLine(id), "Sunday,REST");
  EXPECT_FALSE(files.AtEnd(id));
  EXPECT_EQ(files.ReadLine(id), "last");
  EXPECT_TRUE(files.AtEnd(id));
  EXPECT_EQ(files.ReadLine(id), std::nullopt);
  EXPECT_TRUE(this->Errors().empty());
}

// The old file stays until the close, and for good when a step fails.
TYPED_TEST(FileLayerTest, OutputReplacesTheFileOnlyWhenClosedAndEveryStepSucceeds) {
  FileLayer& files = this->Layer();
  for (std::optional<FileOp> step : {std::optional<FileOp>(), std::optional(FileOp::kWrite),
                                     std::optional(FileOp::kClose), std::optional(FileOp::kRename)}) {
    this->Put("STAT.DAT", "yesterday");
    if (step) this->faults.InjectFault(*step, "STAT.DAT");
    FileId id = files.OpenOutput("STAT.DAT");
    files.Write(id, "half");
    EXPECT_EQ(this->Bytes("STAT.DAT"), "yesterday");
    files.Close(id);
    EXPECT_EQ(this->Bytes("STAT.DAT"), step ? "yesterday" : "half");
    EXPECT_EQ(this->Entries(), Names{"STAT.DAT"});
  }
  ASSERT_EQ(this->Errors().size(), 3u);
  for (const TrappedError& error : this->Errors()) EXPECT_EQ(error.number, kFileIoError);
  EXPECT_EQ(this->Errors()[0].detail, this->Path("STAT.DAT") + ": injected failure: Input/output error");
}

TYPED_TEST(FileLayerTest, RetriedWriteWritesOnce) {
  FileLayer& files = this->Layer();
  this->handler.answers = {Resume::kRetry};
  this->faults.InjectFault(FileOp::kWrite, "CYCLE.DAT");
  FileId id = files.OpenOutput("CYCLE.DAT");
  files.Write(id, "12\r\n");
  files.Close(id);
  EXPECT_EQ(this->Errors().size(), 1u);
  EXPECT_EQ(this->Bytes("CYCLE.DAT"), "12\r\n");
}

TYPED_TEST(FileLayerTest, AFaultCanSpareTheFirstMatchingOperationsOfAnAppend) {
  FileLayer& files = this->Layer();
  this->Put("PH_HP.LOG", "one:");
  this->faults.InjectFault(FileOp::kWrite, "LOG", /*times=*/1, /*skip=*/2);
  FileId id = files.OpenAppend("PH_HP.LOG");
  for (const char* bytes : {"a", "b", "c", "d"}) files.Write(id, bytes);  // "c" fails and is skipped
  files.Close(id);
  EXPECT_EQ(this->Errors().size(), 1u);
  EXPECT_EQ(this->Bytes("PH_HP.LOG"), "one:abd");
}

TYPED_TEST(FileLayerTest, RecordsAreNumberedFromOneAndPaddedToTheirLength) {
  FileLayer& files = this->Layer();
  FileId id = files.OpenRecord("TEMP.DAT", 8);
  files.PutRecord(id, 1, "19/06/15");
  files.PutRecord(id, 2, "abc");
  EXPECT_EQ(files.RecordCount(id), 2u);
  EXPECT_EQ(files.GetRecord(id, 2) + files.GetRecord(id, 1), "abc     19/06/15");
  EXPECT_EQ(files.GetRecord(id, 3), std::string(8, '\0'));
  files.Close(id);
  EXPECT_EQ(this->Bytes("TEMP.DAT"), "19/06/15abc     ");
}

// Also: using a closed channel is an illegal function call.
TYPED_TEST(FileLayerTest, CloseAllCommitsPendingOutputsAndAbandonedOnesLeaveNothing) {
  FileLayer& files = this->Layer();
  FileId dropped = files.OpenOutput("C.DAT");
  files.Write(dropped, "c");
  files.AbandonOutputs();
  FileId a = files.OpenOutput("A.DAT");
  FileId b = files.OpenAppend("B.DAT");
  files.Write(a, "a");
  files.Write(b, "b");
  files.CloseAll();
  EXPECT_FALSE(files.IsOpen(a));
  EXPECT_EQ(this->Entries(), (Names{"A.DAT", "B.DAT"}));
  EXPECT_EQ(this->Bytes("A.DAT") + this->Bytes("B.DAT"), "ab");
  EXPECT_TRUE(this->Errors().empty());
  files.Write(a, "late");
  ASSERT_EQ(this->Errors().size(), 1u);
  EXPECT_EQ(this->Errors()[0].number, kIllegalFunctionCall);
}

TYPED_TEST(FileLayerTest, RemoveMakeDirectoryAndTheSilentWholeFileOperationsNeverTrap) {
  FileLayer& files = this->Layer();
  EXPECT_FALSE(files.Remove("GONE.DAT"));
  EXPECT_TRUE(files.MakeDirectory("History"));
  EXPECT_TRUE(files.IsDirectory("History"));
  EXPECT_FALSE(files.MakeDirectory("History"));
  this->faults.InjectFault(FileOp::kMakeDir, "Other");
  EXPECT_FALSE(files.MakeDirectory("Other"));
  EXPECT_EQ(files.TryReadWholeFile("Settings.ini"), std::nullopt);
  EXPECT_TRUE(files.TryWriteWholeFile("Settings.ini", "[User]\r\n"));
  EXPECT_EQ(files.TryReadWholeFile("Settings.ini"), "[User]\r\n");
  this->faults.InjectFault(FileOp::kWrite, "Settings.ini");
  EXPECT_FALSE(files.TryWriteWholeFile("Settings.ini", "lost"));
  EXPECT_EQ(this->Bytes("Settings.ini"), "[User]\r\n");
  EXPECT_TRUE(this->Errors().empty());
}

// Copy and rename move the bytes; a missing source traps.
TYPED_TEST(FileLayerTest, EveryOperationFindsTheFileInAnyCase) {
  FileLayer& files = this->Layer();
  this->Put("STAT.DAT", "day");
  FileId id = files.OpenAppend("Stat.dat");
  files.Write(id, "s");
  files.Close(id);
  EXPECT_TRUE(files.Exists("stat.dat"));
  EXPECT_EQ(files.FileSize("Stat.Dat"), 4u);
  files.Copy("stat.DAT", "Stat.Prev");
  files.Rename("STAT.prev", "Stat.Old");
  EXPECT_EQ(this->Entries(), (Names{"STAT.DAT", "Stat.Old"}));
  EXPECT_EQ(this->Bytes("Stat.Old") + this->Bytes("STAT.DAT"), "daysdays");
  EXPECT_TRUE(files.Remove("STAT.OLD"));
  EXPECT_EQ(this->Entries(), Names{"STAT.DAT"});
  EXPECT_TRUE(this->Errors().empty());
  files.Rename("GONE.DAT", "X.DAT");
  ASSERT_EQ(this->Errors().size(), 1u);
  EXPECT_EQ(this->Errors()[0].number, kFileNotFound);
}

// Of several names matching ignoring case the exact one is taken, else the first.
TYPED_TEST(FileLayerTest, DirectoriesAndNamesInAnotherCaseAreFoundAndANewFileKeepsItsFirstName) {
  this->MakeDir("History");
  this->Put("History/PREHEAT.19", "season");
  EXPECT_EQ(this->Layer().ReadWholeFile("history\\preheat.19"), "season");
  EXPECT_EQ(this->Layer().Resolve("HISTORY\\..\\history\\new.19"), this->Path("History/../History/new.19"));
  this->Layer().WriteWholeFile("Cycle.Dat", "first");
  this->Layer().WriteWholeFile("CYCLE.DAT", "second");
  EXPECT_EQ(this->Bytes("Cycle.Dat"), "second");
  this->Put("data.TXT", "lower");
  this->Put("DATA.txt", "upper");
  EXPECT_EQ(this->Entries(), (Names{"Cycle.Dat", "DATA.txt", "History", "data.TXT"}));
  EXPECT_EQ(this->Layer().Resolve("data.TXT"), this->Path("data.TXT"));
  EXPECT_EQ(this->Layer().Resolve("Data.Txt"), this->Path("DATA.txt"));
}

// --- The disk alone ---------------------------------------------------------

class DiskFileLayerTest : public ::testing::Test, public OnDisk {};

TEST_F(DiskFileLayerTest, ARunEndingBeforeTheCloseLeavesTheOldFileAndNoTemporary) {
  Put("STAT.DAT", "yesterday");
  auto layer = std::make_unique<PosixFileLayer>(handler);
  layer->SetCurrentDirectory(dir.path());
  layer->Write(layer->OpenOutput("STAT.DAT"), "half");
  layer.reset();
  EXPECT_EQ(Entries(), Names{"STAT.DAT"});
  EXPECT_EQ(Bytes("STAT.DAT"), "yesterday");
}

// Files of this process may grow to `bytes` at most, as on a nearly full disk;
// the limit is lifted again at the end of the scope.
struct FileSizeCap {
  explicit FileSizeCap(rlim_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN);  // a write past the cap fails instead
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeCap() { Lift(); }
  void Lift() { ::setrlimit(RLIMIT_FSIZE, &saved_); }
  rlimit saved_{};
};

// A handler that lifts the cap and retries.
struct LiftingTrapHandler : TrapHandler {
  explicit LiftingTrapHandler(FileSizeCap& toLift) : cap(toLift) {}
  Resume Trap(const TrappedError&) override {
    ++traps;
    cap.Lift();
    return Resume::kRetry;
  }
  FileSizeCap& cap;
  int traps = 0;
};

// Skipped, it leaves the old file and names the full disk; retried once
// there is room, it writes the bytes once.
TEST_F(DiskFileLayerTest, AShortWriteNeverReplacesTheOldFileAndARetryWritesTheBytesOnce) {
  Put("STAT.DAT", "yesterday");
  Put("PH_HP.LOG", std::string(60, 'o'));
  {
    FileSizeCap cap(100);
    FileId id = fileLayer.OpenOutput("STAT.DAT");
    fileLayer.Write(id, std::string(300, 'x'));
    fileLayer.Close(id);
  }
  EXPECT_EQ(Entries(), (Names{"PH_HP.LOG", "STAT.DAT"}));
  EXPECT_EQ(Bytes("STAT.DAT"), "yesterday");
  ASSERT_EQ(handler.errors.size(), 1u);
  EXPECT_EQ(handler.errors[0].number, kFileIoError);
  EXPECT_EQ(handler.errors[0].explanation,
            "The disk is full: " + Path("STAT.DAT") + " could not be written.");
  for (bool append : {false, true}) {
    FileSizeCap cap(100);
    LiftingTrapHandler lifting(cap);
    PosixFileLayer layer(lifting);
    layer.SetCurrentDirectory(dir.path());
    FileId id = append ? layer.OpenAppend("PH_HP.LOG") : layer.OpenOutput("STAT.DAT");
    layer.Write(id, std::string(append ? 70 : 150, 's'));
    layer.Close(id);
    EXPECT_EQ(lifting.traps, 1) << append;
  }
  EXPECT_EQ(Bytes("STAT.DAT"), std::string(150, 's'));
  EXPECT_EQ(Bytes("PH_HP.LOG"), std::string(60, 'o') + std::string(70, 's'));
}

TEST_F(DiskFileLayerTest, APipeOrDirectoryInPlaceOfADataFileIsRefusedByName) {
  ASSERT_EQ(::mkfifo(Path("TEMP.DAT").c_str(), 0644), 0);
  MakeDir("CYCLE.DAT");
  EXPECT_EQ(fileLayer.OpenInput("TEMP.DAT"), kNoFile);
  EXPECT_EQ(fileLayer.OpenRecord("TEMP.DAT", 8), kNoFile);
  EXPECT_EQ(fileLayer.OpenAppend("TEMP.DAT"), kNoFile);
  EXPECT_EQ(fileLayer.OpenOutput("CYCLE.DAT"), kNoFile);
  EXPECT_EQ(fileLayer.TryReadWholeFile("TEMP.DAT"), std::nullopt);
  ASSERT_EQ(handler.errors.size(), 4u);
  for (const TrappedError& error : handler.errors) EXPECT_EQ(error.number, kFileNotFound);
  EXPECT_EQ(handler.errors[0].explanation,
            Path("TEMP.DAT") + " is not a regular file: move it out of the way.");
  EXPECT_EQ(handler.errors[3].explanation,
            Path("CYCLE.DAT") + " is not a regular file: move it out of the way.");
}

TEST_F(DiskFileLayerTest, RewritingASymbolicLinkReplacesItsTarget) {
  MakeDir("etc");
  Put("etc/kelvora.ini", "[User]\r\n");
  std::filesystem::create_symlink("etc/kelvora.ini", Path("Settings.ini"));
  EXPECT_TRUE(fileLayer.TryWriteWholeFile("Settings.ini", "[User]\r\nF_C=1\r\n"));
  fileLayer.WriteWholeFile("Settings.ini", "[User]\r\nF_C=2\r\n");
  EXPECT_TRUE(std::filesystem::is_symlink(Path("Settings.ini")));
  EXPECT_EQ(Bytes("etc/kelvora.ini"), "[User]\r\nF_C=2\r\n");
}

}  // namespace
}  // namespace kelvora
