// The graph screens' modes: the sixteen candidate resolutions, the choice of
// one for a desktop, and what a chosen mode offers (pixels, colour depth and
// the text cells of its font). There is no window system behind the library:
// whoever shows the graph says how large its desktop is.
#ifndef KELVORA_FUNCTIONS_GRAPH_MODES_H_
#define KELVORA_FUNCTIONS_GRAPH_MODES_H_

#include <cstdint>

#include "Functions/export.h"

namespace kelvora {

// A screen as SCREEN describes it; a mode of 0 or less asks for a choice.
struct ScreenDescription {
  int16_t mode = 0;
  int32_t width = 0, height = 0, depth = 0;  // pixels, bits per pixel
  int32_t columns = 0, rows = 0;             // text cells
};

// The desktop the graph is shown on: for the web page, the browser's viewport.
struct Desktop {
  int32_t width = 0, height = 0, depth = 0;
};

// The mode for `desktop`, or 0 when no candidate fits. The desktop's depth
// counts as 1 below 3 bits and as 8 above 8; a canvas offers the desktop's
// own size at 1, 4 and 8 bits, so another depth falls back to 4. The first
// candidate in table order narrower than the desktop at that depth wins.
KELVORA_EXPORT int16_t ChooseScreenMode(const Desktop& desktop);

// Fills `screen` for `screen.mode` (choosing one for `desktop` first when the
// mode is 0 or less) and returns the mode; 0 when it names no candidate.
KELVORA_EXPORT int16_t OpenScreenMode(ScreenDescription& screen, const Desktop& desktop);

}  // namespace kelvora

#endif  // KELVORA_FUNCTIONS_GRAPH_MODES_H_
