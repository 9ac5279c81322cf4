#include "Monitor/learning/regression.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "Monitor/learning/project_file.h"
#include "tests/support/test_host.h"

namespace kelvora::testing {
namespace {

// Regressor values that no linear relation ties together: each column is a
// different irregular sequence.
RegressionRow Scattered(int i) {
  RegressionRow row{};
  for (int v = 1; v < 9; ++v) row[v] = static_cast<float>(std::fmod(i * (v + 2.37) * (v + 1.11), 17.0) - 5);
  return row;
}

// `count` rows whose dependent variable is exactly 4 + 2·x3 − 0.5·x5 + 0.25·x8.
std::vector<RegressionRow> LinearRows(int count) {
  std::vector<RegressionRow> rows;
  for (int i = 1; i <= count; ++i) {
    RegressionRow row = Scattered(i);
    row[0] = 4 + 2 * row[2] - 0.5 * row[4] + 0.25 * row[7];
    rows.push_back(row);
  }
  return rows;
}

constexpr uint16_t kVariables1358 = 1 | 4 | 16 | 128;

TEST(RegressionTest, TooFewRecordsForTheVariablesGiveAnEmptySlot) {
  // Mask 509 selects eight variables: nine records are the least.
  RegressionOutcome outcome = Regress(LinearRows(8), 509, 1);

  EXPECT_EQ(outcome.slot.modelVarCount, 0);
  EXPECT_EQ(outcome.slot.modelMask, 0);
  EXPECT_NE(
      outcome.report.find("TOO FEW SUBJECTS FOR A MODEL WITH 7 INDEPENDENT VARIABLES!\nERROR:  0 in 0\n"),
      std::string::npos)
      << outcome.report;
  EXPECT_EQ(Regress(LinearRows(9), 509, 1).slot.modelVarCount, 8);
}

TEST(RegressionTest, DependentVariableWithoutVarianceGivesAnEmptySlot) {
  std::vector<RegressionRow> rows = LinearRows(12);
  for (RegressionRow& row : rows) row[0] = 37.5;

  RegressionOutcome outcome = Regress(rows, kVariables1358, 2);

  EXPECT_EQ(outcome.slot.modelMask, 0);
  EXPECT_NE(outcome.report.find("COMPUTATION ABORTED - D.V. HAS NO VARIANCE."), std::string::npos);
}

TEST(RegressionTest, RegressorThatIsAlwaysZeroGetsCoefficientZeroAndTheFitCompletes) {
  std::vector<RegressionRow> rows = LinearRows(12);
  for (RegressionRow& row : rows) row[1] = 0;  // variable 2, the drop rate

  RegressionOutcome outcome = Regress(rows, kVariables1358 | 2, 1);

  ASSERT_EQ(outcome.slot.modelVarCount, 5);
  EXPECT_EQ(outcome.slot.rows[2].modelCoef, 0);
  EXPECT_EQ(outcome.slot.rows[2].modelCorr, 0);
  EXPECT_NEAR(outcome.slot.rows[3].modelCoef, 2, 1e-4);
  EXPECT_NEAR(outcome.slot.modelR, 1, 1e-6);
}

TEST(RegressionTest, RegressorThatBarelyVariesIsLeftOutOfTheFit) {
  std::vector<RegressionRow> rows = LinearRows(12);
  // The day's mean temperature, the same to a hundredth in every record.
  for (size_t i = 0; i < rows.size(); ++i) rows[i][1] = -8.02 + 0.001 * static_cast<double>(i % 3);

  RegressionOutcome outcome = Regress(rows, kVariables1358 | 2, 1);

  ASSERT_EQ(outcome.slot.modelVarCount, 4);
  EXPECT_EQ(outcome.slot.modelMask, kVariables1358);
  EXPECT_NEAR(outcome.slot.rows[1].modelCoef, 4, 1e-3);
  EXPECT_NEAR(outcome.slot.rows[2].modelCoef, 2, 1e-4);
}

TEST(RegressionTest, RecordWithANonFiniteValueIsLeftOutAndSaidSo) {
  std::vector<RegressionRow> rows = LinearRows(12);
  rows[3][2] = std::numeric_limits<double>::quiet_NaN();
  rows[7][0] = std::numeric_limits<double>::infinity();

  RegressionOutcome outcome = Regress(rows, kVariables1358, 1);

  EXPECT_EQ(outcome.slot.modelSamples, 10);
  EXPECT_NEAR(outcome.slot.rows[2].modelCoef, 2, 1e-4);
  EXPECT_NE(outcome.report.find(" 2 RECORDS SKIPPED"), std::string::npos);
}

TEST(RegressionTest, ReportListsTheVariablesAndTheSampleCountInUtf8) {
  const std::string report = Regress(LinearRows(15), kVariables1358, 4).report;
  const std::string head = std::string("   VARIABLES ( 149 - )") + std::string(27, ' ') + " MOYENNE" +
                           std::string(7, ' ') + " COEFFICIENT\n\n";
  const std::string firstRow = " 1 CONST. TEMPS NORMALIS\xC3\x89";

  EXPECT_EQ(report.substr(0, head.size()), head);
  EXPECT_EQ(report.substr(head.size(), firstRow.size()), firstRow);
  // x5's coefficient keeps its sign, in the field at columns 67 to 74.
  const size_t row5 = report.find("\n 5 PH STARTING TEMP.") + 1;
  EXPECT_EQ(report.substr(row5, report.find('\n', row5) - row5).substr(66), "  -0.500");
  EXPECT_NE(report.find("\n   COEFFICIENT de R\xC3\x89GRESSION MULTIPLE\n  ( 15 \xC3\xA9"
                        "chantillons)"),
            std::string::npos)
      << report;
}

TEST(RegressionTest, WithoutASunCeilingARecordHasNoSunRatherThanADivisionByZero) {
  RunState state;
  state.settings.Sun_Sensor_Ceil = 0;
  PreheatHistoryRecord record;
  record.startSun = 40;
  EXPECT_EQ(RegressionVariables(LearningPartsOf(state), 2, record)[6], 0);
}

TEST(RegressionTest, EmptyHistoryWritesTheProjectFileWithADisabledBlock) {
  TestHost host;
  host.state.learning.lastRecord = 0;
  host.state.learning.variableMask = 509;
  host.Files().WriteWholeFile(kProjectFile, "an older file\r\n");

  RunRegression(LearningPartsOf(host), LearningServicesOf(host));

  EXPECT_EQ(ReadFileBytes(host.DataFile(kProjectFile)),
            ProjectFileText(LearningPartsOf(host.state)) + ModelBlockText(ModelSlot{}));
  EXPECT_EQ(host.diagnostics.find("ERROR:  0 in 0\n   VARIABLES ( 0 - )"), 0u) << host.diagnostics;
}

}  // namespace
}  // namespace kelvora::testing
