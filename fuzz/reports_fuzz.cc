// Feeds arbitrary bytes to what the reports read: a graph request's body, a
// season file's day record, and a day's cycle table and step table made of
// any numbers (NaN and infinities included). Checks what must hold for any
// input: a chosen screen is narrower than the viewport, and every list row
// has a cell per column, each within its 31 characters.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "Monitor/reports/season_view.h"
#include "Monitor/reports/stat_lists.h"
#include "Monitor/reports/step_curve.h"
#include "Monitor/run_parts.h"
#include "server/report_routes.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// The bytes as a stream of floats, the last ones zero-padded.
class Numbers {
 public:
  explicit Numbers(std::string_view bytes) : bytes_(bytes) {}
  float Next() {
    char raw[sizeof(float)] = {};
    size_t take = std::min(sizeof raw, bytes_.size() - at_);
    if (take > 0) std::memcpy(raw, bytes_.data() + at_, take);
    at_ += take;
    float value;
    std::memcpy(&value, raw, sizeof value);
    return value;
  }

 private:
  std::string_view bytes_;
  size_t at_ = 0;  // never past the end
};

void CheckLists(std::string_view bytes) {
  kelvora::RunState state;
  state.texts.tempMask = {
      "##.##\xB0"
      "C",
      "##.##\xB0"
      "F"};
  state.texts.signedTempMask = {
      "+##.##\xB0"
      "C",
      "+##.##\xB0"
      "F"};
  state.control.cycleLog.Dimension(20, 5);
  state.learning.stepTable.Dimension(20, 10);
  Numbers numbers(bytes);
  state.control.cycleIndex = static_cast<int>(bytes.size() % 21);
  for (int r = 0; r <= 20; ++r)
    for (int c = 0; c <= 5; ++c) state.control.cycleLog(r, c) = numbers.Next();
  for (int r = 0; r <= 20; ++r)
    for (int c = 0; c <= 5; ++c) state.learning.stepTable(r, c) = numbers.Next();
  state.learning.stepIndex = static_cast<int16_t>(bytes.size() % 23) - 1;
  state.learning.dropIndex = static_cast<int16_t>(bytes.size() % 7) - 1;
  state.learning.stepThreshold = numbers.Next();
  state.statistics.savedEnergy = numbers.Next();
  state.clock.clockSeconds = static_cast<int32_t>(bytes.size() * 997 % 86400);
  for (auto kind :
       {kelvora::ListKind::kCycles, kelvora::ListKind::kPreheatSteps, kelvora::ListKind::kDropSteps}) {
    kelvora::StatList list = kelvora::BuildStatList(kind, kelvora::ReportPartsOf(state));
    for (const auto& row : list.rows) {
      Check(row.size() == list.columns.size());
      for (const std::string& cell : row) Check(cell.size() <= 31);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  kelvora::Parsed<kelvora::Desktop> desktop = kelvora::ParseDesktopBody(text);
  Check(desktop.value.has_value() != !desktop.error.empty());
  if (desktop.value) {
    kelvora::ScreenDescription screen;
    if (kelvora::OpenScreenMode(screen, *desktop.value) > 0) Check(screen.width < desktop.value->width);
  }
  kelvora::DecodeDayRecord(text);
  CheckLists(text);
  return 0;
}
