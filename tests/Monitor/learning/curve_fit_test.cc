#include "Monitor/learning/curve_fit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

#include "tests/support/test_host.h"

namespace kelvora::testing {
namespace {

constexpr int kInert = 3;  // the settings' Inert_Deg
constexpr float kFirst = 17.3f;
constexpr float kStart = 5 * 3600;  // 05:00, when row kInert is taken

// Step rows 0..last a tenth of a degree apart from kFirst; row kInert is
// taken at `start` and each later row `minutesAt(rise)` after it.
Table<float> StepRows(int last, const std::function<double(double)>& minutesAt, float start = kStart) {
  Table<float> steps;
  steps.Dimension(std::max(last, 20), 10);
  for (int row = 0; row <= last; ++row) {
    steps(row, kStepInterior) = kFirst + 0.1f * static_cast<float>(row);
    const double rise = steps(row, kStepInterior) - steps(kInert, kStepInterior);
    const double minutes = row < kInert ? (row - kInert) * 2.0 : minutesAt(rise);
    steps(row, kStepTime) = static_cast<float>(std::fmod(start + minutes * 60, 86400.0));
  }
  return steps;
}

FitOutcome Fit(const Table<float>& steps, int last, int kind, float nextSetpoint = 19) {
  FitInput input;
  input.steps = &steps;
  input.stepIndex = last;
  input.inertDeg = kInert;
  input.modelKind = kind;
  input.nextSetpoint = nextSetpoint;
  return FitCurve(input);
}

double Quadratic(double rise) { return 0.5 * rise * rise + 12 * rise; }
// Approaching 20.6 degrees (3 above row kInert, 0.3 above the last reading)
// with a time constant of 150 minutes.
double Approach(double rise) { return -150 * std::log(1 - rise / 3); }

TEST(CurveFitTest, FewerThanTwoRowsPastTheInertiaDoNothing) {
  TestHost host;
  host.state.learning.stepTable = StepRows(kInert, Quadratic);
  host.state.learning.stepIndex = kInert;
  host.state.learning.slope = 7;
  FitPreheatCurve(LearningPartsOf(host), host, host.Learning(), 1);
  EXPECT_EQ(host.state.learning.slope, 7);
  EXPECT_EQ(host.state.control.fitDone, 0);
  EXPECT_EQ(host.diagnostics, "");
}

TEST(CurveFitTest, RowsPastMidnightCountTheTimeSinceTheInertiaRow) {
  FitOutcome fit = Fit(StepRows(30, Quadratic, 86400 - 300), 30, 1);
  EXPECT_NEAR(fit.result1, 0.5, 0.05);
  EXPECT_NEAR(fit.result2, 12, 0.25);
}

// Ceilings from the set point up to the readings give infinite or undefined
// residuals; the search must turn away from them, not carry them on.
TEST(CurveFitTest, ExponentialApproachFitsAboveTheReadings) {
  const Table<float> steps = StepRows(30, Approach);
  for (float nextSetpoint : {19.0f, steps(kInert, kStepInterior) - 0.1f}) {
    FitOutcome fit = Fit(steps, 30, 3, nextSetpoint);
    ASSERT_TRUE(fit.improved);
    EXPECT_TRUE(std::isfinite(fit.bestSsq));
    EXPECT_NEAR(fit.result1, 20.6, 0.05);
    EXPECT_NEAR(fit.result2, 150, 10);
  }
}

TEST(CurveFitTest, AParameterBeyondItsBoundStaysAtTheBound) {
  FitOutcome fit = Fit(StepRows(20, [](double rise) { return 100 * rise; }), 20, 1);
  EXPECT_EQ(fit.result1, 5);
  EXPECT_EQ(fit.result2, 30);
  EXPECT_LT(fit.iterations, 2000);
}

TEST(CurveFitTest, AFirstTrialThatDoesNotImproveKeepsTheParametersInUse) {
  TestHost host;
  LearningState& learning = host.state.learning;
  learning.stepTable = StepRows(20, [](double rise) { return 5000 * rise; });
  learning.stepIndex = 20;
  learning.ceilingTemp = 23;
  learning.fittedTimeConst = 180;
  host.state.schedule.nextSetpoint = 19;
  FitPreheatCurve(LearningPartsOf(host), host, host.Learning(), 3);
  EXPECT_EQ(learning.ceilingTemp, 23);
  EXPECT_EQ(learning.fittedTimeConst, 180);
  EXPECT_EQ(host.state.control.fitDone, 1);
  // One trial on each level.
  EXPECT_NE(host.diagnostics.find("\nFINAL:- / 2 / 19.1 / 0        ( 999999)\n"), std::string::npos);
}

TEST(CurveFitTest, APerfectFitEndsWithAZeroScore) {
  Table<float> steps = StepRows(10, Quadratic);
  for (int row = kInert; row <= 10; ++row) {
    // A reading that stood still: every pair of parameters explains it.
    steps(row, kStepTime) = steps(kInert, kStepTime);
    steps(row, kStepInterior) = steps(kInert, kStepInterior);
  }
  FitOutcome fit = Fit(steps, 10, 1);
  EXPECT_EQ(fit.bestSsq, 0);
  EXPECT_EQ(fit.iterations, 2);
  EXPECT_TRUE(std::isfinite(fit.result1) && std::isfinite(fit.result2));
}

}  // namespace
}  // namespace kelvora::testing
