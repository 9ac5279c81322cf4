#include "Monitor/reports/step_curve.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "Monitor/learning/learning.h"

namespace kelvora {
namespace {

constexpr int kDivisions = 10;
constexpr int kLeftTick = 5;
constexpr int kBottomTick = 4;
constexpr int kMarkLeft = 10;
constexpr int kMarkRight = 20;
constexpr int kNarrowScreenColumns = 41;
// Beyond this a coordinate is far off any screen; it is kept there.
constexpr double kFarOff = 1e6;

struct Colours {
  int axis, model, measured;
};

Colours ColoursOf(int depth) {
  if (depth == 4) return {14, 10, 12};
  if (depth == 8) return {44, 48, 40};
  return {3, 1, 2};
}

int Pixel(double value) {
  if (std::isnan(value)) value = kFarOff;
  return static_cast<int>(std::nearbyint(std::clamp(value, -kFarOff, kFarOff)));
}

// The working values the estimate reads and writes, kept aside while the
// model's times are asked for.
struct EstimateWorkingValues {
  explicit EstimateWorkingValues(const LearningState& l)
      : stepIndex(l.stepIndex),
        stepsToGain(l.stepsToGain),
        stepExcess(l.stepExcess),
        ceilingMargin(l.ceilingMargin),
        estimatedPreheatSeconds(l.estimatedPreheatSeconds),
        estimatedArrival(l.estimatedArrival) {}
  void Restore(LearningState& l) const {
    l.stepIndex = stepIndex;
    l.stepsToGain = stepsToGain;
    l.stepExcess = stepExcess;
    l.ceilingMargin = ceilingMargin;
    l.estimatedPreheatSeconds = estimatedPreheatSeconds;
    l.estimatedArrival = estimatedArrival;
  }
  int16_t stepIndex, stepsToGain;
  float stepExcess, ceilingMargin;
  int32_t estimatedPreheatSeconds, estimatedArrival;
};

// Seconds the stored model takes from `start` to `target` degrees, planned as
// a pre-heat is planned from its first step.
double ModelSeconds(const StepCurveParts& parts, float start, float target) {
  LearningState& l = parts.learning;
  const int inert = parts.settings.Inert_Deg;
  l.stepIndex = -1;  // a plan, not a running pre-heat: nothing has elapsed
  float steps = std::floor(10 * target - std::floor(10 * start) + 1);
  if (!(steps >= 1)) steps = 0;  // none to gain, or no number at all
  l.stepsToGain = static_cast<int16_t>(std::min(steps, 32767.0f));
  l.stepExcess = std::max(0.0f, (10 * target - std::floor(10 * target)) + (l.stepsToGain - inert));
  l.ceilingMargin = l.ceilingTemp - start - inert / 10.0f;
  parts.operations.ComputePreheatDuration(l.timeConst);
  return l.estimatedPreheatSeconds;
}

class Plotter {
 public:
  Plotter(CurveDrawing& drawing, Colours colours) : d_(drawing), colours_(colours) {}

  void Line(double x1, double y1, double x2, double y2, CurvePart part) {
    int colour = part == CurvePart::kAxis    ? colours_.axis
                 : part == CurvePart::kModel ? colours_.model
                                             : colours_.measured;
    d_.lines.push_back({Pixel(x1), Pixel(y1), Pixel(x2), Pixel(y2), part, colour});
  }
  void Text(int row, int column, std::string text) {
    d_.texts.push_back({row, column, std::move(text), colours_.axis});
  }

 private:
  CurveDrawing& d_;
  Colours colours_;
};

void DrawFrame(const ScreenDescription& s, Plotter& plot) {
  const double w = s.width, h = s.height;
  plot.Line(0, 0, 0, h - 1, CurvePart::kAxis);
  plot.Line(0, h - 1, w - 1, h - 1, CurvePart::kAxis);
  for (int k = 1; k <= kDivisions; ++k) {
    const double y = (h - 1) - k * (h / kDivisions);
    if (y >= 0) plot.Line(0, y, kLeftTick - 1, y, CurvePart::kAxis);
    const double x = k * (w / kDivisions);
    if (x <= w - 1) plot.Line(x, h - 1, x, h - kBottomTick, CurvePart::kAxis);
  }
  plot.Text(1, 2,
            "\xF8"
            "C  (+10\xF8"
            "C)");
  // The last cell of the screen is left free, as writing there scrolls a text screen.
  plot.Text(s.rows, s.columns - 6, "10 hrs");
  const std::string hint = s.columns < kNarrowScreenColumns ? "<Esc> to QUIT" : "< Press a KEY to QUIT >";
  const int hintRow = s.columns < kNarrowScreenColumns ? s.rows - 2 : s.rows - 1;
  plot.Text(hintRow, s.columns - static_cast<int>(hint.size()), hint);
}

void DrawSteps(const StepCurveParts& parts, int lastRow, const ScreenDescription& s, Plotter& plot) {
  const Table<float>& t = parts.learning.stepTable;
  lastRow = std::min(lastRow, t.Rows());
  if (lastRow < 0) return;
  const double w = s.width, h = s.height;
  // A falling curve ends at its last row, a rising one starts near row 1.
  const float base = std::min(t(std::min(1, lastRow), kStepInterior), t(lastRow, kStepInterior));
  const int fitFirstRow = parts.settings.Inert_Deg;
  const auto xOf = [w](double seconds) { return seconds / 3600 * (w / kDivisions); };
  double measuredX = 0, measuredY = h - 1, modelX = 0, modelY = h - 1;
  for (int i = 0; i <= lastRow; ++i) {
    const double x = xOf(t(i, kStepTime) - t(0, kStepTime));
    const double y = (h - 1) - (h / kDivisions) * (t(i, kStepInterior) - base);
    plot.Line(measuredX, measuredY, x, y, CurvePart::kMeasured);
    measuredX = x;
    measuredY = y;
    const double modelTime = xOf(ModelSeconds(parts, t(0, kStepInterior), t(i, kStepInterior)));
    plot.Line(modelX, modelY, modelTime, y, CurvePart::kModel);
    modelX = modelTime;
    modelY = y;
    if (i == fitFirstRow) plot.Line(modelTime - kMarkLeft, y, modelTime + kMarkRight, y, CurvePart::kModel);
  }
}

std::string Hex(int r, int g, int b) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", r & 0xFF, g & 0xFF, b & 0xFF);
  return text;
}

// Index 32 onwards of the 256-colour palette: three intensities, each in three
// saturations of a ring of 24 hues running blue, magenta, red, yellow, green, cyan.
std::string HueRing(int index) {
  const int group = (index - 32) / 72, saturation = (index - 32) % 72 / 24, hue = (index - 32) % 24;
  static constexpr std::array<int, 3> kHigh = {255, 113, 65};
  const int high = kHigh[static_cast<size_t>(group)];
  const int low = saturation == 0 ? 0 : saturation == 1 ? high * 49 / 100 : high * 71 / 100;
  const auto level = [&](int step) { return low + (high - low) * step / 4; };
  // Each channel's level by hue: rising over 4 steps, high for 8, falling over 4, low for 8.
  const auto channel = [&](int offset) {
    const int p = (hue + offset) % 24;
    if (p < 4) return level(p);
    if (p < 12) return high;
    if (p < 16) return level(16 - p);
    return low;
  };
  return Hex(channel(0), channel(16), channel(8));
}

}  // namespace

CurveDrawing DrawStepCurve(const StepCurveParts& parts, int lastRow, const Desktop& desktop) {
  CurveDrawing drawing;
  drawing.screen.mode = 0;
  if (OpenScreenMode(drawing.screen, desktop) <= 0) return drawing;
  Plotter plot(drawing, ColoursOf(drawing.screen.depth));
  DrawFrame(drawing.screen, plot);
  LearningState& l = parts.learning;
  const EstimateWorkingValues saved(l);
  DrawSteps(parts, lastRow, drawing.screen, plot);
  saved.Restore(l);
  return drawing;
}

std::string PaletteColour(int depth, int index) {
  static constexpr std::array<int, 16> kSixteen = {0x000000, 0x0000aa, 0x00aa00, 0x00aaaa, 0xaa0000, 0xaa00aa,
                                                   0xaa5500, 0xaaaaaa, 0x555555, 0x5555ff, 0x55ff55, 0x55ffff,
                                                   0xff5555, 0xff55ff, 0xffff55, 0xffffff};
  if (depth <= 1 || index < 0) return index > 0 ? "#ffffff" : "#000000";
  if (index < 16) {
    const int rgb = kSixteen[static_cast<size_t>(index)];
    return Hex(rgb >> 16, rgb >> 8, rgb);
  }
  if (depth == 4) return "#ffffff";
  if (index < 32) {
    const int grey = (index - 16) * 255 / 15;
    return Hex(grey, grey, grey);
  }
  if (index < 248) return HueRing(index);
  return "#000000";
}

}  // namespace kelvora
