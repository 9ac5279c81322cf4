#include "Monitor/core/diagnostic_log.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/posix_file_layer.h"
#include "tests/support/fakes.h"

namespace kelvora::testing {
namespace {

class DiagnosticLogTest : public ::testing::Test {
 protected:
  DiagnosticLogTest() : files(traps, &faults) { files.SetCurrentDirectory(dir.path()); }

  std::string File(const std::string& name) { return ReadFileBytes(dir.path() + "/" + name); }

  TempDir dir;
  RecordingTrapHandler traps;
  FileFaults faults;
  PosixFileLayer files;
};

TEST_F(DiagnosticLogTest, ReportsReachTheFileAtFlushAndTheTerminalAtOnce) {
  std::string terminal;
  DiagnosticLog log(files, [&](std::string_view text) { terminal += text; });
  log.Write("FINAL: 12\r\n");
  EXPECT_EQ(terminal, "FINAL: 12\r\n");
  EXPECT_FALSE(files.Exists(kDiagnosticLog));
  log.Flush();
  log.Write("next\r\n");
  log.Flush();
  EXPECT_EQ(File(kDiagnosticLog), "FINAL: 12\r\nnext\r\n");
}

TEST_F(DiagnosticLogTest, AFullLogMovesAsideSoTheTwoNeverExceedTwiceTheLimit) {
  DiagnosticLog log(files, {}, 100);
  WriteFileBytes(dir.path() + "/" + kDiagnosticLog, std::string(90, 'a'));
  for (int i = 0; i < 5; ++i) {
    log.Write(std::string(40, static_cast<char>('b' + i)));
    log.Flush();
  }
  EXPECT_LE(File(kDiagnosticLog).size() + File(kDiagnosticOld).size(), 200u);
  EXPECT_EQ(File(kDiagnosticLog), std::string(40, 'f'));
  EXPECT_EQ(File(kDiagnosticOld), std::string(40, 'd') + std::string(40, 'e'));
}

TEST_F(DiagnosticLogTest, AFailedWriteNeverTrapsTheControlPass) {
  DiagnosticLog log(files, {});
  faults.InjectFault(FileOp::kWrite, kDiagnosticLog);
  log.Write("lost");
  log.Flush();
  EXPECT_TRUE(traps.errors.empty());
}

}  // namespace
}  // namespace kelvora::testing
