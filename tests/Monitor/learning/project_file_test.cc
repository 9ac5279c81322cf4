#include "Monitor/learning/project_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "Monitor/learning/regression.h"
#include "tests/support/test_host.h"

namespace kelvora::testing {
namespace {

// The header line, which holds every value but the slots.
std::string HeaderLine(const RunState& state) {
  RunState copy = state;
  const std::string text = ProjectFileText(LearningPartsOf(copy));
  return text.substr(0, text.find("\r\n"));
}

// A fitted-looking slot whose every value differs from the others.
ModelSlot SampleSlot(int m) {
  ModelSlot slot;
  slot.modelVarCount = 3;
  slot.modelMask = static_cast<uint16_t>(1 | 4 | (m == 2 ? 256 : 16));
  slot.modelSamples = 20.0f + static_cast<float>(m);
  slot.modelR = 0.875f;
  const int variables[] = {1, 3, m == 2 ? 9 : 5};
  for (int t = 1; t <= 3; ++t) {
    ModelRow& row = slot.rows[t];
    row.modelVarIndex = static_cast<float>(variables[t - 1]);
    row.modelVarName = RegressionLabel(m, variables[t - 1]);
    row.modelMean = -3.25f * static_cast<float>(t + m);
    row.modelCoef = 0.125f + static_cast<float>(m);
    row.modelCorr = t == 1 ? 20.0f + static_cast<float>(m) : -0.5f;
  }
  return slot;
}

class ProjectFileTest : public ::testing::Test {
 protected:
  // Header values that 7 digits could not carry exactly.
  void FillHeader(int currentModel) {
    LearningState& l = host.state.learning;
    l.currentModel = static_cast<uint8_t>(currentModel);
    l.variableMask = 509;
    l.logPending = 1;
    l.setbackStartTime = 79200.125f;
    l.setbackStartInterior = 20.1f;
    l.setbackStartExterior = -7.3f;
    l.setbackStartEnergy = 12345.678f;
    l.timeConst = 1.0e-8f;
    host.state.control.setBackActive = 1;
    host.state.control.heatPumpHold = 1;
    host.state.control.pendingSlotEnd = 23400;
    host.state.schedule.nextSetpoint = 21.1f;
    for (int m = 0; m < kModelSlots; ++m) l.models[m] = SampleSlot(m);
  }

  // What a restart finds before reading the file.
  RunState Reloaded() {
    TestHost restarted;
    WriteFileBytes(restarted.DataFile(kProjectFile), ReadFileBytes(host.DataFile(kProjectFile)));
    ReadProject(LearningPartsOf(restarted), LearningServicesOf(restarted));
    EXPECT_EQ(restarted.console, "");
    return restarted.state;
  }

  // The reloaded header line writes as the one written, the first `slots` slots
  // as their samples and the others are empty.
  void ExpectReadBack(RunState read, int slots) {
    EXPECT_EQ(HeaderLine(read), HeaderLine(host.state));
    for (int m = 0; m < kModelSlots; ++m) {
      const ModelSlot& slot = read.learning.models[m];
      if (m < slots) {
        EXPECT_EQ(ModelBlockText(slot), ModelBlockText(SampleSlot(m))) << "slot " << m;
      } else {
        EXPECT_EQ(slot, ModelSlot{}) << "slot " << m;
      }
    }
  }

  void AppendBlock(const ModelSlot& slot) {
    FileId file = host.Files().OpenAppend(kProjectFile);
    host.Files().Write(file, ModelBlockText(slot));
    host.Files().Close(file);
  }

  TestHost host;
};

// Before the first recompute the file is the header alone; once the
// regression has appended the block of model 0, that block reads back too.
TEST_F(ProjectFileTest, TheHeaderAloneAndWithTheAppendedBlockOfModelZeroReadBack) {
  FillHeader(0);
  WriteProject(LearningPartsOf(host), LearningServicesOf(host));
  EXPECT_EQ(ReadFileBytes(host.DataFile(kProjectFile)), ProjectFileText(LearningPartsOf(host.state)));
  ExpectReadBack(Reloaded(), 0);
  AppendBlock(host.state.learning.models[0]);
  ExpectReadBack(Reloaded(), 1);
}

TEST_F(ProjectFileTest, FinishedRecomputeRestoresSlotsZeroToTwoAndWritesTheValueLines) {
  FillHeader(3);
  host.state.learning.predictedSlope = 31.5f;
  host.state.learning.predictedCurve = 0.75f;
  WriteProject(LearningPartsOf(host), LearningServicesOf(host));
  const std::string text = ReadFileBytes(host.DataFile(kProjectFile));
  EXPECT_NE(text.find(" \r\n 31.5          0.75\r\n"), std::string::npos) << text;
  ExpectReadBack(Reloaded(), 3);
}

TEST_F(ProjectFileTest, ReaderStopsBeforeSlotThreeWhenSixSlotsAreWritten) {
  FillHeader(6);
  WriteProject(LearningPartsOf(host), LearningServicesOf(host));
  EXPECT_NE(ReadFileBytes(host.DataFile(kProjectFile)).find(RegressionLabel(5, 1)), std::string::npos);
  ExpectReadBack(Reloaded(), 3);
}

TEST_F(ProjectFileTest, MissingFileIsCreatedEmptyAndChangesNothing) {
  FillHeader(2);
  RunState before = host.state;

  ReadProject(LearningPartsOf(host), LearningServicesOf(host));

  EXPECT_EQ(ReadFileBytes(host.DataFile(kProjectFile)), "");
  EXPECT_EQ(host.state.learning.models[2], before.learning.models[2]);
  EXPECT_EQ(host.state.learning.timeConst, before.learning.timeConst);
  EXPECT_TRUE(ParseProjectText(" \r\n\r\n", LearningPartsOf(host.state)).empty);
}

TEST_F(ProjectFileTest, DamagedFileIsKeptAsideAndChangesNothing) {
  FillHeader(1);
  host.state.learning.currentModel = 0;
  // block 0 is cut short
  const std::string damaged = ProjectFileText(LearningPartsOf(host.state)) + " 3  5 \r\n";
  WriteFileBytes(host.DataFile(kProjectFile), damaged);
  host.state.learning.currentModel = 2;

  ReadProject(LearningPartsOf(host), LearningServicesOf(host));

  EXPECT_EQ(host.state.learning.currentModel, 2);
  EXPECT_EQ(host.state.learning.models[0], SampleSlot(0));
  EXPECT_EQ(ReadFileBytes(host.DataFile("PROJECT.DAT.damaged")), damaged);
  EXPECT_NE(host.console.find("line 3 (the head of model 0): it holds 2 items instead of 4"),
            std::string::npos)
      << host.console;
}

// Text after a whole file: the file is read up to it, the text is kept in
// a copy, and the file is cut back so that the next start copies nothing.
TEST_F(ProjectFileTest, TrailingTextIsKeptAsideAndWhatPrecedesItIsRead) {
  FillHeader(4);
  host.state.learning.models[3] = SampleSlot(3);
  const std::string whole = ProjectFileText(LearningPartsOf(host.state)) + ModelBlockText(SampleSlot(4));
  const std::string stray = "a line the program never wrote\r\n";
  TestHost restarted;
  WriteFileBytes(restarted.DataFile(kProjectFile), whole + stray);

  ReadProject(LearningPartsOf(restarted), LearningServicesOf(restarted));

  EXPECT_EQ(HeaderLine(restarted.state), HeaderLine(host.state));
  EXPECT_EQ(ModelBlockText(restarted.state.learning.models[2]), ModelBlockText(SampleSlot(2)));
  EXPECT_EQ(ReadFileBytes(restarted.DataFile("PROJECT.DAT.damaged")), whole + stray);
  EXPECT_EQ(ReadFileBytes(restarted.DataFile(kProjectFile)), whole);
  EXPECT_NE(restarted.console.find("line 28: text follows the end of what the program writes"),
            std::string::npos)
      << restarted.console;
  restarted.console.clear();
  ReadProject(LearningPartsOf(restarted), LearningServicesOf(restarted));
  EXPECT_EQ(restarted.console, "");
}

TEST(ProjectParseTest, EverythingTheWritersWriteIsReadWithoutTrailingText) {
  for (int current = 0; current <= kModelSlots; ++current) {
    RunState state;
    state.learning.currentModel = static_cast<uint8_t>(current);
    const std::string header = ProjectFileText(LearningPartsOf(state));
    for (const std::string& text : {header, header + ModelBlockText(ModelSlot{})}) {
      RunState read;
      const ProjectReadResult result = ParseProjectText(text, LearningPartsOf(read));
      EXPECT_FALSE(result.damaged || result.trailing) << result.problem << "\n" << text;
    }
  }
}

TEST(ProjectParseTest, TextThatTheWriterNeverWritesIsRefusedAndChangesNothing) {
  const std::string header = " 0  0  0  0  1  2  3  4  5  21  0  45  2  50  509\r\n \r\n";
  const std::string row = " 1  \"DROP RATE\"  1.000  2.000  3.000\r\n";
  const struct {
    const char* name;
    std::string text;
  } cases[] = {
      {"short header", " 0  0  0  0  1  2  3  4  5  21  0  45  2  50\r\n \r\n"},
      {"word for a number", " 0  0  0  0  1  2  x  4  5  21  0  45  2  50  509\r\n \r\n"},
      {"infinite number", " 0  0  0  0  1  2  1e999  4  5  21  0  45  2  50  509\r\n \r\n"},
      {"currentModel beyond 6", " 7  0  0  0  1  2  3  4  5  21  0  45  2  50  509\r\n \r\n"},
      {"mask beyond 16 bits", " 0  0  0  0  1  2  3  4  5  21  0  45  2  50  65536\r\n \r\n"},
      {"count not whole", header + " 1.5  1  3  0.500\r\n" + row + " \r\n"},
      {"count beyond 10", header + " 11  1  3  0.500\r\n" + row + " \r\n"},
      {"missing row", header + " 2  5  3  0.500\r\n" + row + " \r\n"},
      {"variable beyond 9", header + " 1  1  3  0.500\r\n 10  \"X\"  1.000  2.000  3.000\r\n \r\n"},
      {"label without quotes", header + " 1  1  3  0.500\r\n 1  DROP  1.000  2.000  3.000\r\n \r\n"},
      {"unclosed quote", header + " 1  1  3  0.500\r\n 1  \"DROP  1.000  2.000  3.000\r\n \r\n"},
  };
  for (const auto& c : cases) {
    RunState state;
    state.learning.timeConst = 77;
    ProjectReadResult result = ParseProjectText(c.text, LearningPartsOf(state));
    EXPECT_TRUE(result.damaged) << c.name;
    EXPECT_FALSE(result.problem.empty()) << c.name;
    EXPECT_EQ(state.learning.timeConst, 77) << c.name;
    EXPECT_EQ(state.learning.variableMask, 0) << c.name;
  }
  RunState state;
  EXPECT_FALSE(
      ParseProjectText(header + " 1  1  3  0.500\r\n" + row + " \r\n", LearningPartsOf(state)).damaged);
  EXPECT_EQ(state.learning.models[0].rows[1].modelCoef, 2);
}

TEST(ProjectParseTest, NumberWiderThanItsMaskKeepsItsValue) {
  const std::string header = " 1  0  0  0  1  2  3  4  5  21  0  45  2  50  509\r\n \r\n";
  const std::string block0 = " 1  1  12  0.500\r\n 1  \"DROP RATE\"  %12345.678  %-1234.567  12.000\r\n \r\n";
  RunState state;
  ASSERT_FALSE(ParseProjectText(header + block0 + block0, LearningPartsOf(state)).damaged);
  EXPECT_EQ(state.learning.models[1].rows[1].modelMean, 12345.678f);
  EXPECT_EQ(state.learning.models[1].rows[1].modelCoef, -1234.567f);

  // The writer widens the field instead; that reads back too.
  ModelSlot wide;
  wide.modelVarCount = 1;
  wide.modelMask = 1;
  wide.rows[1] = {1, RegressionLabel(0, 1), -98765.4375f, 123456.5f, 12};
  RunState again;
  ASSERT_FALSE(
      ParseProjectText(ProjectFileText(LearningPartsOf(again)) + ModelBlockText(wide), LearningPartsOf(again))
          .damaged);
  EXPECT_EQ(again.learning.models[0], wide);
}

TEST(ProjectParseTest, ValuesThatAreNotNumbersAreWrittenSoThatTheFileReadsBack) {
  RunState state;
  state.learning.currentModel = 1;
  state.learning.timeConst = std::numeric_limits<float>::quiet_NaN();
  state.learning.models[0].modelVarCount = 1;
  state.learning.models[0].modelMask = 1;
  state.learning.models[0].rows[1].modelVarIndex = 1;
  state.learning.models[0].rows[1].modelCoef = -std::numeric_limits<float>::infinity();
  const std::string text = ProjectFileText(LearningPartsOf(state)) + ModelBlockText(SampleSlot(1));

  RunState read;
  ProjectReadResult result = ParseProjectText(text, LearningPartsOf(read));
  ASSERT_FALSE(result.damaged) << result.problem;
  EXPECT_EQ(read.learning.timeConst, 0);
  EXPECT_EQ(read.learning.models[0].rows[1].modelCoef, -std::numeric_limits<float>::max());
}

}  // namespace
}  // namespace kelvora::testing
