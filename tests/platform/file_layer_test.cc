#include "platform/file_layer.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/fakes.h"

namespace kelvora {
namespace {

using testing::ReadFileBytes;
using testing::RecordingTrapHandler;
using testing::TempDir;
using testing::WriteFileBytes;

class FileLayerTest : public ::testing::Test {
 protected:
  FileLayerTest() : files(handler) { files.SetCurrentDirectory(dir.path()); }

  TempDir dir;
  RecordingTrapHandler handler;
  FileLayer files;
};

TEST_F(FileLayerTest, BackslashNamesResolveAgainstTheCurrentDirectory) {
  files.SetCurrentDirectory("/home/kelvora/DATA");
  EXPECT_EQ(files.Resolve("..\\Settings.ini"), "/home/kelvora/DATA/../Settings.ini");
  EXPECT_EQ(files.Resolve("History\\TEMP.19"), "/home/kelvora/DATA/History/TEMP.19");
  EXPECT_EQ(files.Resolve("/etc/x"), "/etc/x");
}

TEST_F(FileLayerTest, OpeningAMissingFileTrapsErrorTwoAtTheCallersLine) {
  int line = __LINE__ + 1;
  FileId id = files.OpenInput("NOPE.prg");
  EXPECT_EQ(id, kNoFile);
  ASSERT_EQ(handler.errors.size(), 1u);
  EXPECT_EQ(handler.errors[0].number, kFileNotFound);
  EXPECT_EQ(static_cast<int>(handler.errors[0].where.line()), line);
  EXPECT_NE(std::string(handler.errors[0].where.file_name()).find("file_layer_test"), std::string::npos);
}

TEST_F(FileLayerTest, ReadLineDropsCrLfAndReportsTheEnd) {
  WriteFileBytes(dir.File("DAYS.prg"), "Monday,WEEK\r\nSunday,REST\nlast");
  FileId id = files.OpenInput("DAYS.prg");
  EXPECT_EQ(files.ReadLine(id), "Monday,WEEK");
  EXPECT_EQ(files.ReadLine(id), "Sunday,REST");
  EXPECT_FALSE(files.AtEnd(id));
  EXPECT_EQ(files.ReadLine(id), "last");
  EXPECT_TRUE(files.AtEnd(id));
  EXPECT_EQ(files.ReadLine(id), std::nullopt);
  files.Close(id);
  EXPECT_TRUE(handler.errors.empty());
}

TEST_F(FileLayerTest, OutputReplacesTheFileOnlyWhenClosed) {
  WriteFileBytes(dir.File("STAT.DAT"), "old");
  FileId id = files.OpenOutput("STAT.DAT");
  files.Write(id, "new day");
  EXPECT_EQ(ReadFileBytes(dir.File("STAT.DAT")), "old");
  files.Close(id);
  EXPECT_EQ(ReadFileBytes(dir.File("STAT.DAT")), "new day");
}

TEST_F(FileLayerTest, FailedWriteThatIsSkippedLeavesTheOldFileWhole) {
  WriteFileBytes(dir.File("STAT.DAT"), "yesterday");
  auto layer = std::make_unique<FileLayer>(handler);
  layer->SetCurrentDirectory(dir.path());
  layer->InjectFaultForTesting(FileOp::kWrite, "STAT.DAT");
  FileId id = layer->OpenOutput("STAT.DAT");
  layer->Write(id, "half");
  ASSERT_EQ(handler.errors.size(), 1u);
  EXPECT_EQ(handler.errors[0].number, kFileIoError);
  layer.reset();  // the run ends before the file is closed
  EXPECT_EQ(ReadFileBytes(dir.File("STAT.DAT")), "yesterday");
  EXPECT_FALSE(std::filesystem::exists(dir.File("STAT.DAT.kelvora-tmp")));
}

TEST_F(FileLayerTest, RetriedWriteWritesOnce) {
  handler.answers = {Resume::kRetry};
  files.InjectFaultForTesting(FileOp::kWrite, "CYCLE.DAT");
  FileId id = files.OpenOutput("CYCLE.DAT");
  files.Write(id, "12\r\n");
  files.Close(id);
  EXPECT_EQ(handler.errors.size(), 1u);
  EXPECT_EQ(ReadFileBytes(dir.File("CYCLE.DAT")), "12\r\n");
}

// Files of this process may grow to `bytes` at most, as on a nearly full disk;
// the limit is lifted again at the end of the scope.
class FileSizeCap {
 public:
  explicit FileSizeCap(rlim_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN);  // a write past the cap fails instead
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    Set(bytes);
  }
  ~FileSizeCap() { Lift(); }
  void Lift() { ::setrlimit(RLIMIT_FSIZE, &saved_); }

 private:
  void Set(rlim_t bytes) {
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  rlimit saved_{};
};

// A handler that runs `onTrap` and then answers as it is told.
class ActingTrapHandler : public TrapHandler {
 public:
  Resume Trap(const TrappedError& error) override {
    errors.push_back(error);
    if (onTrap) onTrap();
    return answer;
  }
  std::vector<TrappedError> errors;
  std::function<void()> onTrap;
  Resume answer = Resume::kSkip;
};

TEST_F(FileLayerTest, AShortWriteNeverReplacesTheOldFileAndNamesTheFullDisk) {
  WriteFileBytes(dir.File("STAT.DAT"), "yesterday");
  {
    FileSizeCap cap(100);
    FileId id = files.OpenOutput("STAT.DAT");
    files.Write(id, std::string(300, 'x'));
    files.Close(id);
  }
  EXPECT_EQ(ReadFileBytes(dir.File("STAT.DAT")), "yesterday");
  EXPECT_FALSE(std::filesystem::exists(dir.File("STAT.DAT.kelvora-tmp")));
  ASSERT_EQ(handler.errors.size(), 1u);
  EXPECT_EQ(handler.errors[0].number, kFileIoError);
  EXPECT_EQ(handler.errors[0].explanation,
            "The disk is full: " + dir.File("STAT.DAT") + " could not be written.");
}

TEST_F(FileLayerTest, ARetriedRewriteAfterAShortWriteStartsFromTheBeginning) {
  ActingTrapHandler acting;
  FileLayer layer(acting);
  layer.SetCurrentDirectory(dir.path());
  FileSizeCap cap(100);
  acting.onTrap = [&] { cap.Lift(); };
  acting.answer = Resume::kRetry;
  FileId out = layer.OpenOutput("STAT.DAT");
  layer.Write(out, std::string(150, 's'));
  layer.Close(out);
  EXPECT_EQ(acting.errors.size(), 1u);
  EXPECT_EQ(ReadFileBytes(dir.File("STAT.DAT")), std::string(150, 's'));
}

TEST_F(FileLayerTest, ARetriedAppendAfterAShortWriteAddsTheLineOnce) {
  WriteFileBytes(dir.File("PH_HP.LOG"), std::string(60, 'o'));
  ActingTrapHandler acting;
  FileLayer layer(acting);
  layer.SetCurrentDirectory(dir.path());
  FileSizeCap cap(100);
  acting.onTrap = [&] { cap.Lift(); };
  acting.answer = Resume::kRetry;
  FileId log = layer.OpenAppend("PH_HP.LOG");
  layer.Write(log, std::string(70, 'a'));
  layer.Close(log);
  EXPECT_EQ(acting.errors.size(), 1u);
  EXPECT_EQ(ReadFileBytes(dir.File("PH_HP.LOG")), std::string(60, 'o') + std::string(70, 'a'));
}

TEST_F(FileLayerTest, APipeOrDirectoryInPlaceOfADataFileIsRefusedByName) {
  ASSERT_EQ(::mkfifo(dir.File("TEMP.DAT").c_str(), 0644), 0);
  std::filesystem::create_directory(dir.File("CYCLE.DAT"));
  EXPECT_EQ(files.OpenInput("TEMP.DAT"), kNoFile);
  EXPECT_EQ(files.OpenRecord("TEMP.DAT", 8), kNoFile);
  EXPECT_EQ(files.OpenAppend("TEMP.DAT"), kNoFile);
  EXPECT_EQ(files.OpenOutput("CYCLE.DAT"), kNoFile);
  EXPECT_EQ(files.TryReadWholeFile("TEMP.DAT"), std::nullopt);
  ASSERT_EQ(handler.errors.size(), 4u);
  for (const TrappedError& error : handler.errors) {
    EXPECT_EQ(error.number, kFileNotFound);
    EXPECT_NE(error.explanation.find("is not a regular file"), std::string::npos) << error.explanation;
  }
  EXPECT_EQ(handler.errors[0].explanation.rfind(dir.File("TEMP.DAT"), 0), 0u);
  EXPECT_EQ(handler.errors[3].explanation.rfind(dir.File("CYCLE.DAT"), 0), 0u);
}

TEST_F(FileLayerTest, RewritingASymbolicLinkReplacesItsTarget) {
  std::filesystem::create_directory(dir.File("etc"));
  WriteFileBytes(dir.File("etc/kelvora.ini"), "[User]\r\n");
  std::filesystem::create_symlink("etc/kelvora.ini", dir.File("Settings.ini"));
  EXPECT_TRUE(files.TryWriteWholeFile("Settings.ini", "[User]\r\nF_C=1\r\n"));
  files.WriteWholeFile("Settings.ini", "[User]\r\nF_C=2\r\n");
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("Settings.ini")));
  EXPECT_EQ(ReadFileBytes(dir.File("etc/kelvora.ini")), "[User]\r\nF_C=2\r\n");
}

TEST_F(FileLayerTest, FaultCanSpareTheFirstMatchingOperations) {
  files.InjectFaultForTesting(FileOp::kWrite, "LOG", /*times=*/1, /*skip=*/2);
  FileId id = files.OpenAppend("PH_HP.LOG");
  files.Write(id, "a");
  files.Write(id, "b");
  EXPECT_TRUE(handler.errors.empty());
  files.Write(id, "c");  // fails and is skipped
  files.Write(id, "d");
  files.Close(id);
  EXPECT_EQ(handler.errors.size(), 1u);
  EXPECT_EQ(ReadFileBytes(dir.File("PH_HP.LOG")), "abd");
}

TEST_F(FileLayerTest, AppendKeepsWhatIsThere) {
  WriteFileBytes(dir.File("PH_HP.LOG"), "one");
  FileId id = files.OpenAppend("PH_HP.LOG");
  files.Write(id, "two");
  files.Close(id);
  EXPECT_EQ(ReadFileBytes(dir.File("PH_HP.LOG")), "onetwo");
}

TEST_F(FileLayerTest, RecordsAreNumberedFromOneAndPaddedToTheirLength) {
  FileId id = files.OpenRecord("TEMP.DAT", 8);
  files.PutRecord(id, 1, "19/06/15");
  files.PutRecord(id, 2, "abc");
  EXPECT_EQ(files.RecordCount(id), 2u);
  EXPECT_EQ(files.GetRecord(id, 2), "abc     ");
  EXPECT_EQ(files.GetRecord(id, 1), "19/06/15");
  EXPECT_EQ(files.GetRecord(id, 3), std::string(8, '\0'));
  files.Close(id);
  EXPECT_EQ(ReadFileBytes(dir.File("TEMP.DAT")), "19/06/15abc     ");
}

TEST_F(FileLayerTest, UsingAClosedChannelIsAnIllegalFunctionCall) {
  FileId id = files.OpenOutput("X.DAT");
  files.Close(id);
  files.Write(id, "late");
  ASSERT_EQ(handler.errors.size(), 1u);
  EXPECT_EQ(handler.errors[0].number, kIllegalFunctionCall);
}

TEST_F(FileLayerTest, CloseAllCommitsPendingOutputs) {
  FileId a = files.OpenOutput("A.DAT");
  FileId b = files.OpenAppend("B.DAT");
  files.Write(a, "a");
  files.Write(b, "b");
  files.CloseAll();
  EXPECT_FALSE(files.IsOpen(a));
  EXPECT_EQ(ReadFileBytes(dir.File("A.DAT")), "a");
  EXPECT_EQ(ReadFileBytes(dir.File("B.DAT")), "b");
}

TEST_F(FileLayerTest, CopyAndRenameMoveTheBytes) {
  WriteFileBytes(dir.File("PROJECT.DAT"), "model");
  files.Copy("PROJECT.DAT", "Project.dat.BAK");
  files.Rename("PROJECT.DAT", "PROJECT1.DAT");
  EXPECT_EQ(ReadFileBytes(dir.File("Project.dat.BAK")), "model");
  EXPECT_EQ(ReadFileBytes(dir.File("PROJECT1.DAT")), "model");
  EXPECT_FALSE(files.Exists("PROJECT.DAT"));
  EXPECT_TRUE(handler.errors.empty());
}

TEST_F(FileLayerTest, RenamingAMissingFileTraps) {
  files.Rename("GONE.DAT", "X.DAT");
  ASSERT_EQ(handler.errors.size(), 1u);
  EXPECT_EQ(handler.errors[0].number, kFileNotFound);
}

TEST_F(FileLayerTest, RemoveAndMakeDirectoryReportWithoutTrapping) {
  EXPECT_FALSE(files.Remove("GONE.DAT"));
  EXPECT_TRUE(files.MakeDirectory("History"));
  EXPECT_TRUE(files.IsDirectory("History"));
  EXPECT_FALSE(files.MakeDirectory("History"));
  files.InjectFaultForTesting(FileOp::kMakeDir, "Other");
  EXPECT_FALSE(files.MakeDirectory("Other"));
  EXPECT_TRUE(handler.errors.empty());
}

TEST_F(FileLayerTest, SilentWholeFileOperationsNeverTrap) {
  EXPECT_EQ(files.TryReadWholeFile("Settings.ini"), std::nullopt);
  EXPECT_TRUE(files.TryWriteWholeFile("Settings.ini", "[User]\r\n"));
  EXPECT_EQ(files.TryReadWholeFile("Settings.ini"), "[User]\r\n");
  files.InjectFaultForTesting(FileOp::kWrite, "Settings.ini");
  EXPECT_FALSE(files.TryWriteWholeFile("Settings.ini", "lost"));
  EXPECT_EQ(files.TryReadWholeFile("Settings.ini"), "[User]\r\n");
  EXPECT_TRUE(handler.errors.empty());
}

// The names in a directory, sorted.
std::vector<std::string> Entries(const std::string& directory) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

using Names = std::vector<std::string>;

TEST_F(FileLayerTest, AppendingThroughAnotherCaseExtendsTheSameFile) {
  files.WriteWholeFile("PROJECT.DAT.bak", "model\r\n");
  FileId id = files.OpenAppend("Project.dat.BAK");
  files.Write(id, "steps\r\n");
  files.Close(id);
  EXPECT_EQ(Entries(dir.path()), Names{"PROJECT.DAT.bak"});
  EXPECT_EQ(ReadFileBytes(dir.File("PROJECT.DAT.bak")), "model\r\nsteps\r\n");
}

TEST_F(FileLayerTest, WholeFileOperationsFindTheFileInAnyCase) {
  WriteFileBytes(dir.File("STAT.DAT"), "day");
  EXPECT_TRUE(files.Exists("stat.dat"));
  EXPECT_EQ(files.FileSize("Stat.Dat"), 3u);
  files.Copy("stat.DAT", "Stat.Prev");
  files.Rename("STAT.prev", "Stat.Old");
  EXPECT_EQ(Entries(dir.path()), (Names{"STAT.DAT", "Stat.Old"}));
  EXPECT_TRUE(files.Remove("STAT.OLD"));
  EXPECT_EQ(Entries(dir.path()), Names{"STAT.DAT"});
  EXPECT_TRUE(handler.errors.empty());
}

TEST_F(FileLayerTest, ADirectoryInAnotherCaseIsFound) {
  std::filesystem::create_directories(dir.File("History"));
  WriteFileBytes(dir.File("History/PREHEAT.19"), "season");
  EXPECT_EQ(files.ReadWholeFile("history\\preheat.19"), "season");
  EXPECT_EQ(files.Resolve("HISTORY\\..\\history\\new.19"), dir.File("History/../History/new.19"));
}

TEST_F(FileLayerTest, ANewFileKeepsTheNameItWasFirstWrittenWith) {
  files.WriteWholeFile("Cycle.Dat", "first");
  files.WriteWholeFile("CYCLE.DAT", "second");
  EXPECT_EQ(Entries(dir.path()), Names{"Cycle.Dat"});
  EXPECT_EQ(ReadFileBytes(dir.File("Cycle.Dat")), "second");
}

TEST_F(FileLayerTest, OfSeveralNamesMatchingIgnoringCaseTheExactOneElseTheFirstIsTaken) {
  WriteFileBytes(dir.File("data.TXT"), "lower");
  WriteFileBytes(dir.File("DATA.txt"), "upper");
  EXPECT_EQ(files.Resolve("data.TXT"), dir.File("data.TXT"));
  EXPECT_EQ(files.Resolve("Data.Txt"), dir.File("DATA.txt"));
}

}  // namespace
}  // namespace kelvora
