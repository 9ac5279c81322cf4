#include "Monitor/reports/step_curve.h"

#include <algorithm>

#include "gtest/gtest.h"
#include "tests/support/test_host.h"

namespace kelvora {
namespace {

constexpr Desktop kWideDesktop{1920, 1080, 8};  // mode 21: 1280 x 1024, 160 x 64 cells

class StepCurveTest : public ::testing::Test {
 protected:
  StepCurveTest() {
    host.learningOverride = std::make_unique<HouseLearning>(LearningPartsOf(host), LearningServicesOf(host));
  }

  // Rows 0.. at 21600 + minutes * 60 with the given interior temperatures.
  void Steps(std::initializer_list<std::pair<float, float>> minutesAndTemps) {
    int row = 0;
    for (auto [minutes, temp] : minutesAndTemps) {
      host.state.learning.stepTable(row, kStepTime) = 21600 + minutes * 60;
      host.state.learning.stepTable(row, kStepInterior) = temp;
      ++row;
    }
  }

  static std::vector<CurveLine> Lines(const CurveDrawing& d, CurvePart part) {
    std::vector<CurveLine> lines;
    std::copy_if(d.lines.begin(), d.lines.end(), std::back_inserter(lines),
                 [part](const CurveLine& l) { return l.part == part; });
    return lines;
  }

  static const CurveText* TextAt(const CurveDrawing& d, const std::string& text) {
    for (const CurveText& t : d.texts)
      if (t.text == text) return &t;
    return nullptr;
  }

  testing::TestHost host;
};

TEST_F(StepCurveTest, APreheatWithOneStepDrawsOneMeasuredSegmentFromTheCorner) {
  Steps({{0, 17.0f}});
  CurveDrawing d = DrawStepCurve(StepCurvePartsOf(host), 0, kWideDesktop);
  EXPECT_EQ(d.screen.mode, 21);
  auto measured = Lines(d, CurvePart::kMeasured);
  ASSERT_EQ(measured.size(), 1u);
  EXPECT_EQ(measured[0].x1, 0);
  EXPECT_EQ(measured[0].y1, 1023);
  EXPECT_EQ(measured[0].colour, 40);
  EXPECT_EQ(Lines(d, CurvePart::kModel).front().colour, 48);
}

TEST_F(StepCurveTest, AFallingCurveEndsAtTheBottom) {
  Steps({{0, 20.0f}, {60, 19.5f}, {120, 19.0f}});
  auto measured = Lines(DrawStepCurve(StepCurvePartsOf(host), 2, kWideDesktop), CurvePart::kMeasured);
  ASSERT_EQ(measured.size(), 3u);
  EXPECT_EQ(measured[1].y1, 921);  // one degree (a tenth of the height) above the base
  EXPECT_EQ(measured[2].x2, 256);  // two hours of ten over 1280 pixels
  EXPECT_EQ(measured[2].y2, 1023);
}

TEST_F(StepCurveTest, TheFrameHasItsAxesTicksLegendAndTheHintForTheScreenWidth) {
  CurveDrawing wide = DrawStepCurve(StepCurvePartsOf(host), -1, kWideDesktop);
  EXPECT_EQ(Lines(wide, CurvePart::kAxis).size(), 2u + 9u + 9u);  // the tenth ticks fall off the screen
  EXPECT_EQ(Lines(wide, CurvePart::kAxis)[0].colour, 44);
  ASSERT_NE(TextAt(wide, "\370C  (+10\370C)"), nullptr);
  ASSERT_NE(TextAt(wide, "10 hrs"), nullptr);
  EXPECT_EQ(TextAt(wide, "10 hrs")->row, 64);
  ASSERT_NE(TextAt(wide, "< Press a KEY to QUIT >"), nullptr);
  EXPECT_EQ(TextAt(wide, "< Press a KEY to QUIT >")->row, 63);

  CurveDrawing narrow =
      DrawStepCurve(StepCurvePartsOf(host), -1, {400, 300, 8});  // mode 14: 40 columns, 30 rows
  EXPECT_EQ(narrow.screen.columns, 40);
  ASSERT_NE(TextAt(narrow, "<Esc> to QUIT"), nullptr);
  EXPECT_EQ(TextAt(narrow, "<Esc> to QUIT")->row, 28);
  EXPECT_EQ(TextAt(narrow, "<Esc> to QUIT")->column, 27);
  EXPECT_EQ(DrawStepCurve(StepCurvePartsOf(host), 0, {300, 200, 8}).lines.size(), 0u);  // no mode fits
}

TEST_F(StepCurveTest, TheModelFollowsTheEstimateAndLeavesItsWorkingValuesAsTheyWere) {
  LearningState& l = host.state.learning;
  host.state.settings.Inert_Deg = 3;
  l.modelKind = 1;
  l.curve = 0;
  l.slope = 60;  // an hour per degree beyond the inertia steps
  l.stepIndex = 4;
  l.stepsToGain = 42;
  l.stepExcess = 3.5f;
  l.estimatedArrival = 12345;
  Steps({{0, 17.0f}, {10, 17.1f}, {20, 17.2f}, {30, 17.3f}, {60, 17.8f}});
  CurveDrawing d = DrawStepCurve(StepCurvePartsOf(host), 4, kWideDesktop);
  auto model = Lines(d, CurvePart::kModel);
  ASSERT_EQ(model.size(), 5u + 1u);  // a segment per row and the mark at row 3, where the fit starts
  EXPECT_EQ(model[4].x2 - model[4].x1, 30);
  // 17.8: 9 steps, 6 beyond the inertia steps: 0.6 degrees at 60 minutes each, 36 minutes.
  EXPECT_EQ(model[5].x2, 77);
  EXPECT_EQ(l.stepIndex, 4);
  EXPECT_EQ(l.stepsToGain, 42);
  EXPECT_EQ(l.stepExcess, 3.5f);
  EXPECT_EQ(l.estimatedArrival, 12345);
}

TEST(PaletteColour, TheDefaultPalettesOfEachDepth) {
  EXPECT_EQ(PaletteColour(8, 40), "#ff0000");
  EXPECT_EQ(PaletteColour(8, 44), "#ffff00");
  EXPECT_EQ(PaletteColour(8, 48), "#00ff00");
  EXPECT_EQ(PaletteColour(4, 12), "#ff5555");
  EXPECT_EQ(PaletteColour(1, 3), "#ffffff");
}

}  // namespace
}  // namespace kelvora
