#include "Functions/graph_modes.h"

#include <array>

namespace kelvora {
namespace {

struct Candidate {
  int16_t mode;
  int32_t width, height, depth;
};

// In order of preference: the largest 8-bit modes first.
constexpr std::array<Candidate, 16> kCandidates = {{{21, 1280, 1024, 8},
                                                    {20, 1024, 768, 8},
                                                    {19, 800, 600, 8},
                                                    {18, 640, 480, 8},
                                                    {12, 640, 480, 4},
                                                    {17, 640, 400, 8},
                                                    {16, 512, 384, 8},
                                                    {9, 640, 350, 4},
                                                    {15, 400, 300, 8},
                                                    {14, 320, 240, 8},
                                                    {13, 320, 200, 8},
                                                    {7, 320, 200, 4},
                                                    {11, 640, 480, 1},
                                                    {10, 640, 350, 1},
                                                    {1, 320, 200, 1},
                                                    {2, 640, 200, 1}}};

bool CanvasOffers(int32_t depth) { return depth == 1 || depth == 4 || depth == 8; }

// The text font's cell height: the 8 x 8 font on modes of up to 240 lines,
// 8 x 14 up to 350 lines, 8 x 16 above.
int32_t CellHeight(int32_t height) { return height <= 240 ? 8 : height <= 350 ? 14 : 16; }

}  // namespace

int16_t ChooseScreenMode(const Desktop& desktop) {
  int32_t depth = desktop.depth < 3 ? 1 : desktop.depth > 8 ? 8 : desktop.depth;
  if (!CanvasOffers(depth)) depth = 4;
  for (const Candidate& candidate : kCandidates) {
    if (candidate.depth == depth && candidate.width < desktop.width) return candidate.mode;
  }
  return 0;
}

int16_t OpenScreenMode(ScreenDescription& screen, const Desktop& desktop) {
  if (screen.mode <= 0) screen.mode = ChooseScreenMode(desktop);
  for (const Candidate& candidate : kCandidates) {
    if (candidate.mode != screen.mode) continue;
    screen.width = candidate.width;
    screen.height = candidate.height;
    screen.depth = candidate.depth;
    screen.columns = candidate.width / 8;
    screen.rows = candidate.height / CellHeight(candidate.height);
    return screen.mode;
  }
  screen.mode = 0;
  return 0;
}

}  // namespace kelvora
