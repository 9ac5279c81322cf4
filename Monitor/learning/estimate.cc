#include "Monitor/learning/estimate.h"

#include <algorithm>
#include <cmath>

#include "Functions/formulas.h"
#include "Monitor/core/saturate.h"
#include "Monitor/learning/preheat_history.h"
#include "Monitor/learning/project_file.h"
#include "Monitor/learning/regression.h"

namespace kelvora {
namespace {

constexpr float kTiny = 0.00001f;
// A drop rate above this many minutes per degree is a house that has not
// started to cool yet: nothing to measure.
constexpr float kMaxDropRate = 999;
// Estimates are kept within two days either way: beyond that the model has
// lost its meaning, and a wider value would not fit the 32-bit seconds.
constexpr double kMaxEstimateSeconds = 2 * 86400.0;

// A regression with few records per coefficient follows the noise of those
// records rather than the house: weather variables fitted on a few dozen
// pre-heats predict wildly as soon as the weather leaves their mean. As the
// common rule of thumb has it, a model is used once it has ten records per
// coefficient; until then the class averages of the history stand.
constexpr float kRecordsPerCoefficient = 10;

// Whether model `slot` is fitted and has records enough to be trusted.
bool Usable(const LearningState& l, int slot) {
  const ModelSlot& model = l.models[slot];
  return model.modelMask != 0 && model.modelSamples >= kRecordsPerCoefficient * model.modelVarCount;
}

// Adds a drop row each time the interior has fallen by another tenth.
void RecordDropRow(const LearningParts& state) {
  LearningState& l = state.learning;
  const ControlState& c = state.control;
  Table<float>& t = l.stepTable;
  if (t.Empty()) return;
  if (l.dropIndex != -1) {
    float latest = t(l.dropIndex, kStepInterior);
    if (c.interiorTemp < t(0, kStepInterior) && c.interiorTemp >= std::floor(10 * latest) / 10) return;
    if (c.interiorTemp >= t(0, kStepInterior)) l.dropIndex = -1;
  }
  ++l.dropIndex;
  if (l.dropIndex > t.Rows()) t.GrowRows(l.dropIndex + 20);
  t(l.dropIndex, kStepTime) = static_cast<float>(state.clock.clockSeconds);
  t(l.dropIndex, kStepExterior) = c.exteriorTemp;
  t(l.dropIndex, kStepInterior) = c.interiorTemp;
  int inert = std::clamp<int>(state.settings.Inert_Deg, 0, t.Rows());
  float fallen = t(inert, kStepInterior) - c.interiorTemp;
  float minutes = (state.clock.clockSeconds - t(inert, kStepTime)) / 60;
  t(l.dropIndex, kStepArrival) = fallen != 0 ? minutes / fallen : 0;
}

void FollowPeak(const LearningParts& state) {
  LearningState& l = state.learning;
  const ControlState& c = state.control;
  if (l.setbackStartInterior < c.interiorTemp) {
    l.setbackStartInterior = c.interiorTemp;
    l.setbackStartTime = static_cast<float>(state.clock.clockSeconds);
    l.setbackStartExterior = c.exteriorTemp;
  }
  if (state.clock.clockSeconds < l.setbackStartTime) l.setbackStartTime -= 86400;
}

void MeasureDrop(const LearningParts& state) {
  LearningState& l = state.learning;
  const ControlState& c = state.control;
  float minutes = (kTiny + (state.clock.clockSeconds - l.setbackStartTime)) / 60;
  l.dropRate = minutes / (kTiny + (l.setbackStartInterior - c.interiorTemp));
  if (l.dropRate > kMaxDropRate) l.dropRate = l.classDropRate;
  float timeConst = minutes / Kt((kTiny + (l.setbackStartInterior - c.interiorTemp)) /
                                 (l.setbackStartInterior - c.exteriorTemp));
  // Outdoors as warm as indoors, or a fall beyond the outdoor temperature,
  // has no time constant; the last one measured stands.
  if (std::isfinite(timeConst)) l.dropTimeConst = timeConst;
}

// Takes a model's prediction only when it is a number.
void TakeIfFinite(float value, float& into) {
  if (std::isfinite(value)) into = value;
}

// A slope more than twice or less than half the one the history's classes
// give for this weather is the model extrapolating from weather its records
// barely varied in, not the house; so is a curve outside the heating
// curve's plausible range. The class value stands then.
bool PlausibleSlope(const LearningState& l, float slope) {
  if (!std::isfinite(slope) || slope <= 0) return false;
  return l.classSlope <= 0 || (slope >= l.classSlope / 2 && slope <= l.classSlope * 2);
}
bool PlausibleCurve(float curve) { return std::isfinite(curve) && curve >= 0 && curve < 5; }

// The class averages come from the records themselves and can be as wrong
// as they are: a slope of 0 or below, or a negative curve, would estimate
// no time at all and the pre-heat would never start early. A straight half
// hour a degree stands in for them then.
constexpr float kFallbackSlope = 30;
constexpr float kFallbackCurve = 0;
float ClassSlope(const LearningState& l) {
  return std::isfinite(l.classSlope) && l.classSlope > 0 ? l.classSlope : kFallbackSlope;
}
float ClassCurve(const LearningState& l) {
  return PlausibleCurve(l.classCurve) ? l.classCurve : kFallbackCurve;
}

void EvaluateQuadratic(LearningState& l, Regressors& x) {
  x[9] = l.curve;
  if (Usable(l, 1)) {
    float slope = ModelValue(l.models[1], x);
    l.slope = PlausibleSlope(l, slope) ? slope : ClassSlope(l);
  }
  l.predictedSlope = l.slope;
  x[9] = l.slope;
  if (Usable(l, 2)) {
    float curve = ModelValue(l.models[2], x);
    l.curve = PlausibleCurve(curve) ? curve : ClassCurve(l);
  }
  l.predictedCurve = l.curve;
}

void EvaluateExponential(const LearningParts& state, Regressors& x) {
  LearningState& l = state.learning;
  x[9] = 0;
  if (Usable(l, 4)) {
    float v = ModelValue(l.models[4], x);
    if (v > 30 && std::isfinite(v)) l.timeConst = v;
    x[9] = std::isfinite(v) ? v : 0;
  }
  if (Usable(l, 5)) TakeIfFinite(ModelValue(l.models[5], x), l.ceilingTemp);
  float lowest = 1.06f * state.schedule.nextSetpoint;
  if (l.ceilingTemp < lowest) l.ceilingTemp = lowest;
  l.ceilingInUse = l.ceilingTemp;
}

// --- The recompute -------------------------------------------------------------

// The set-back began yesterday when its start lies later in the day than now.
void AdjustSetbackStart(const LearningParts& state) {
  LearningState& l = state.learning;
  if (state.control.setBackActive == 1 && l.setbackStartTime > state.clock.clockSeconds)
    l.setbackStartTime -= 86400;
}

void FitModel(const LearningParts& state, const LearningServices& services, uint8_t model, uint16_t mask,
              uint16_t setbackMask) {
  LearningState& l = state.learning;
  l.currentModel = model;
  l.variableMask = state.control.setBackActive == 1 ? setbackMask : mask;
  AdjustSetbackStart(state);
  RunRegression(state, services);
  // The regression's report has run over the status screen: it is drawn again.
  services.status.ShowStatusFrame();
  ReadProject(state, services);
  EvaluateModels(state);
}

bool Plausible(const LearningState& l) {
  return l.predictedSlope > 0 && l.predictedCurve >= 0 && l.predictedCurve < 5;
}

void FitAllModels(const LearningParts& state, const LearningServices& services) {
  FitModel(state, services, 1, 509, 511);
  FitModel(state, services, 2, 509, 511);
  if (state.learning.modelKind > 2) {
    FitModel(state, services, 4, 125, 127);
    FitModel(state, services, 5, 381, 383);
  }
  // Each model feeds the other's prediction into its last variable, so a
  // few rounds let slope and curve settle.
  for (int round = 0; round < 5; ++round) EvaluateModels(state);
}

void Finish(const LearningParts& state, const LearningServices& services) {
  ++state.learning.currentModel;
  WriteProject(state, services);
}

}  // namespace

float ModelValue(const ModelSlot& slot, const Regressors& x) {
  int rows = std::clamp(Saturate<int>(std::nearbyint(slot.modelVarCount)), 0, kModelRows);
  if (rows < 1) return 0;
  float value = slot.rows[1].modelCoef;
  for (int t = 2; t <= rows; ++t) {
    int index = Saturate<int>(std::nearbyint(slot.rows[t].modelVarIndex));
    // A variable number that names no regressor (a damaged file) adds nothing.
    if (index >= 1 && index <= 9) value += slot.rows[t].modelCoef * x[index];
  }
  return value;
}

void EvaluateModels(const LearningParts& state) {
  RecordDropRow(state);
  FollowPeak(state);
  MeasureDrop(state);
  Regressors x = CurrentRegressors(state);
  if (state.learning.currentModel < 3) {
    EvaluateQuadratic(state.learning, x);
  } else {
    EvaluateExponential(state, x);
  }
}

void ComputePreheatDuration(const LearningParts& state, float timeConstant) {
  LearningState& l = state.learning;
  int inert = state.settings.Inert_Deg;
  double extra = 0;
  if (inert < l.stepsToGain) {
    extra = l.inertiaSeconds + l.riseDelaySeconds;
  } else if (l.stepsToGain > 0) {
    // Fewer steps than the inertia phase lasts: only that share of it.
    extra = l.riseDelaySeconds + static_cast<double>(l.inertiaSeconds) * l.stepsToGain / inert;
  }
  float minutes = l.modelKind < 3 ? HeatingProject(1, l.stepExcess / 10, l.curve, l.slope)
                                  : HeatingProject(3, l.stepExcess / 10, l.ceilingMargin, timeConstant);
  double elapsed = 0;
  if (timeConstant == l.fittedTimeConst && l.stepIndex > 0)
    elapsed = state.clock.clockSeconds - l.stepTable(0, kStepTime);
  double seconds = static_cast<double>(minutes) * 60 + extra - elapsed;
  // A ceiling the climb cannot reach gives no finite time: as late as can be.
  if (!std::isfinite(seconds)) seconds = kMaxEstimateSeconds;
  seconds = std::clamp(seconds, -kMaxEstimateSeconds, kMaxEstimateSeconds);
  l.estimatedPreheatSeconds = Saturate<int32_t>(std::nearbyint(seconds));
  l.estimatedArrival = l.estimatedPreheatSeconds + state.clock.clockSeconds;
}

void RecomputeProject(const LearningParts& state, const LearningServices& services) {
  LearningState& l = state.learning;
  FileLayer& files = services.files;
  if (files.Exists("Project.dat")) files.Copy("Project.dat", "Project.dat.BAK");
  for (;;) {
    FitAllModels(state, services);
    if (Plausible(l)) return Finish(state, services);
    // With enough pre-heats, or with every one of them already in the
    // selection, no wider selection can help: the class averages stand.
    if (l.selectedCount >= 20 || l.minRecords > static_cast<int>(l.historyCount)) {
      l.predictedSlope = l.slope = ClassSlope(l);
      l.predictedCurve = l.curve = ClassCurve(l);
      return Finish(state, services);
    }
    l.minRecords = static_cast<int16_t>(l.minRecords + 5);
    ReadPreheatHistory(state, services);
  }
}

}  // namespace kelvora
