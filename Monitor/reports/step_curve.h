// The graph of a pre-heat or a temperature drop: each step's measured
// interior temperature against time, beside the time the learned model
// expected each step, drawn as lines and texts in the pixel and text-cell
// coordinates of the chosen graph screen, for the page to show.
#ifndef KELVORA_MONITOR_REPORTS_STEP_CURVE_H_
#define KELVORA_MONITOR_REPORTS_STEP_CURVE_H_

#include <string>
#include <vector>

#include "Functions/graph_modes.h"
#include "Monitor/reports/report_parts.h"

namespace kelvora {

enum class CurvePart { kAxis, kModel, kMeasured };

struct CurveLine {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // pixels, (0, 0) the top left
  CurvePart part = CurvePart::kAxis;
  int colour = 0;  // palette index
};

struct CurveText {
  int row = 0, column = 0;  // text cells from 1
  std::string text;         // code page 437
  int colour = 0;
};

struct CurveDrawing {
  ScreenDescription screen;  // mode 0: no screen could be opened, nothing drawn
  std::vector<CurveLine> lines;
  std::vector<CurveText> texts;
};

// Draws step rows 0 to `lastRow` on a screen chosen for `desktop`. The model
// times come from the pre-heat estimate; every working value the estimate
// changes is as before when this returns. A negative `lastRow` draws the
// axes only.
CurveDrawing DrawStepCurve(const StepCurveParts& parts, int lastRow, const Desktop& desktop);

// "#rrggbb" of palette index `index` at colour depth `depth` (the default
// palettes: two colours at 1 bit, the sixteen at 4 bits, the 256 at 8 bits).
std::string PaletteColour(int depth, int index);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_REPORTS_STEP_CURVE_H_
