// What the learning keeps between its runs: the pre-heat steps, the heating
// model, the history's class averages and the project data's regressions.
#ifndef KELVORA_MONITOR_CORE_LEARNING_STATE_H_
#define KELVORA_MONITOR_CORE_LEARNING_STATE_H_

#include <array>
#include <cstdint>
#include <string>

#include "Monitor/core/records.h"
#include "Monitor/core/table.h"

namespace kelvora {

// One row of a fitted regression: a variable, its mean, its coefficient and
// its correlation with the dependent variable. Row 1 is the dependent
// variable: its coefficient is the constant term, its correlation the count.
struct ModelRow {
  float modelVarIndex = 0;   // the variable's number, 1..9
  std::string modelVarName;  // its label, 38 characters
  float modelMean = 0;
  float modelCoef = 0;
  float modelCorr = 0;

  bool operator==(const ModelRow&) const = default;
};

inline constexpr int kModelRows = 10;
inline constexpr int kModelSlots = 6;

// A fitted regression as the project data keep it. A mask of 0 disables it.
struct ModelSlot {
  float modelVarCount = 0;  // variables in the fit, the dependent one included
  uint16_t modelMask = 0;
  float modelSamples = 0;
  float modelR = 0;
  std::array<ModelRow, kModelRows + 1> rows;  // 1..10; 0 unused

  bool operator==(const ModelSlot&) const = default;
};

// Columns of the pre-heat step table.
enum StepColumn { kStepTime = 0, kStepExterior, kStepInterior, kStepArrival, kStepFitted1, kStepFitted2 };

// What the learning keeps between its runs: the pre-heat history's selection
// and class averages, the project data's models, and the values the control
// pass hands on to the estimate.
struct LearningState {
  // Pre-heat steps: per row time (s), exterior, interior, estimated arrival
  // (s) and two fitted values.
  Table<float> stepTable;  // 0..20 x 0..10 until the pre-heat history re-dimensions it
  int16_t stepIndex = -1;  // -1: no row yet
  int16_t stepsRecorded = 0;
  int16_t stepsToGain = 0;
  float stepExcess = 0;
  float ceilingMargin = 0;
  float stepThreshold = 0;

  float setbackStartTime = 0;
  float setbackStartInterior = 0;
  float setbackStartExterior = 0;
  float setbackStartEnergy = 0;

  // The heating model: stored values and the working pair of this pre-heat.
  float slope = 0;
  float curve = 0;
  float timeConst = 0;
  float ceilingTemp = 0;
  float fittedTimeConst = 0;
  float fittedCeiling = 0;
  int16_t modelKind = 1;
  float firstStepOffset = 0;  // the history offset of the step count
  float dropRate = 0;
  float dropTimeConst = 0;

  int32_t estimatedPreheatSeconds = 0;
  int32_t estimatedArrival = 0;
  uint8_t logPending = 0;

  // The pre-heat record being filled (PreheatRecordLayout).
  Record preheatRecord = Record(kPreheatRecordLength);

  // --- The pre-heat history ("PREHEAT.DAT") ---------------------------------
  uint16_t historyCount = 0;  // records in the file
  uint16_t firstRecord = 1;
  uint16_t lastRecord = 0;
  int16_t selectedCount = 0;
  int8_t relaxLevel = -1;  // -1..3: how far the selection was relaxed
  int8_t classStep = 5;    // width of a wind-chill class, degrees
  int16_t minRecords = 10;
  int16_t currentClass = 0;
  // Sums per wind-chill class 0..K over the selected records, columns 0..10.
  Table<float> classTable;
  int historyFile = 0;  // "PREHEAT.DAT", open between the reader and the pass (FileId)
  // The class averages interpolated at the current wind chill.
  int16_t riseDelaySeconds = 0;
  int16_t inertiaSeconds = 0;
  float classDropRate = 0;
  float classSun = 0;
  float classSunPercent = 0;
  float classSlope = 0;
  float classCurve = 0;

  // --- The project data ("PROJECT.DAT") ------------------------------------
  uint8_t currentModel = 0;  // the slot being fitted, or 3 / 6 when finished
  uint16_t variableMask = 0;
  std::array<ModelSlot, kModelSlots> models;
  float predictedSlope = 0;
  float predictedCurve = 0;

  // --- The evaluation --------------------------------------------------------
  float ceilingInUse = 0;
  int16_t dropIndex = -1;  // -1: no drop row
  // While the learning update simulates a night it assumes the day's means
  // are the weather of the moment; otherwise they come from the day's
  // statistics.
  bool dayMeansAssumed = false;
  float assumedDayMeanExterior = 0;
  float assumedDayMeanWind = 0;
};

}  // namespace kelvora

#endif  // KELVORA_MONITOR_CORE_LEARNING_STATE_H_
