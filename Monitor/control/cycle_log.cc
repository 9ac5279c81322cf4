#include "Monitor/control/cycle_log.h"

namespace kelvora {

int NextCycleRow(ControlState& control) {
  int row = control.cycleIndex + 1;
  if (row > control.cycleLog.Rows()) control.cycleLog.GrowRows(control.cycleLog.Rows() + kCycleLogGrowth);
  return row;
}

void StartCycleRow(ControlState& control, CycleCode code, float start, float interior, float exterior) {
  int row = NextCycleRow(control);
  Table<float>& log = control.cycleLog;
  log(row, kCycleState) = CycleCodeValue(code);
  log(row, kCycleStart) = start;
  log(row, kCycleInterior) = interior;
  log(row, kCycleExterior) = exterior;
  log(row, kCycleDuration) = 0;
  log(row, kCycleEnergy) = 0;
  control.cycleIndex = row;
}

}  // namespace kelvora
