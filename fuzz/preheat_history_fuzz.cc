// Feeds arbitrary bytes to the pre-heat history as "PREHEAT.DAT" and runs
// the history reader and the regression over it. Checks what must hold for
// any file: no crash, the values the estimate uses are numbers, the file is
// left in whole records, and a new record still lands after the old ones.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "Functions/formulas.h"
#include "Monitor/learning/preheat_history.h"
#include "Monitor/learning/regression.h"
#include "tests/support/test_host.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckFinite(const kelvora::LearningState& l) {
  for (float value : {l.timeConst, l.slope, l.curve, l.ceilingTemp, l.firstStepOffset, l.classDropRate,
                      l.classSun, l.classSunPercent}) {
    Check(std::isfinite(value));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kelvora::testing::TestHost host;
  kelvora::RunState& state = host.state;
  state.clock.todayDate = "19/01/15";
  state.clock.todayNumber = kelvora::NumDate("19/01/15");
  state.clock.todaySeasonDay = kelvora::Julian07("19/01/15");
  state.control.pendingSlotEnd = 23400;
  state.settings.Sun_Sensor_Ceil = 80;
  std::string bytes(reinterpret_cast<const char*>(data), size);
  kelvora::testing::WriteFileBytes(host.DataFile("PREHEAT.DAT"), bytes);
  kelvora::ReadPreheatHistory(kelvora::LearningPartsOf(host), kelvora::LearningServicesOf(host));
  CheckFinite(state.learning);
  Check(state.control.planFlag >= 0);
  Check(state.learning.historyCount <= size / kelvora::kPreheatRecordLength);
  state.learning.currentModel = 1;
  state.learning.variableMask = 511;
  kelvora::RunRegression(kelvora::LearningPartsOf(host), kelvora::LearningServicesOf(host));
  uint64_t before = host.Files().FileSize("PREHEAT.DAT").value_or(0);
  Check(before % kelvora::kPreheatRecordLength == 0);
  kelvora::AppendPreheatRecord(kelvora::LearningPartsOf(host), kelvora::LearningServicesOf(host));
  Check(host.Files().FileSize("PREHEAT.DAT").value_or(0) == before + kelvora::kPreheatRecordLength);
  return 0;
}
