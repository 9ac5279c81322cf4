#include "Monitor/learning/curve_fit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <string>
#include <utility>

#include "Functions/formulas.h"
#include "Monitor/core/text_number.h"
#include "Monitor/learning/learning.h"

namespace kelvora {
namespace {

// Values are searched in quarter units: a step below one unit ends a search.
constexpr double kScale = 4;
constexpr long kMaxTrials = 2000;  // per search
// Every search starts from this score; a fit that cannot beat it keeps its start.
constexpr double kStartSsq = 999999;
// The score of a trial whose residuals are not finite (a ceiling at or below a
// reading): worse than any real fit, so the search turns away from it.
constexpr double kUnfit = 1e30;
constexpr double kSecondsPerDay = 86400;

struct Parameter {
  std::string label;
  double lower = 0, upper = 0, step = 0;
};

// One line search in scaled units. `last` is the previous trial, whose score
// is -i when it improved and the step control otherwise.
struct Level {
  double lower = 0, upper = 0, step = 0;  // the step as given: an upper limit for s
  double s = 0, value = 0;
  int direction = 1;
  long i = 0, m = 0;
  struct Trial {
    double value, score;
  };
  std::optional<Trial> last;
};

std::string NumberText(double value) {
  std::string text = SevenDigitText(static_cast<float>(value));
  return text.front() == '-' ? text : " " + text;
}

std::string IntegerText(long value) {
  return value < 0 ? std::to_string(value) : " " + std::to_string(value);
}

// The two-level search over one pre-heat's step rows. The outer level runs an
// inner search for every trial of its parameter; both share the scores.
class CurveSearch {
 public:
  CurveSearch(const FitInput& input, int lastRow, Parameter first, Parameter second)
      : input_(input), lastRow_(lastRow), parameters_{std::move(first), std::move(second)} {}

  FitOutcome Run();

 private:
  void LineSearch(int which, double start);
  double ScoreOuterTrial(double value);
  bool Judge(Level& level, int which, double r);
  void Remember(Level& level, bool improved);
  double FitResiduals(double p1, double p2) const;
  std::string Heading() const;
  void ReportLine(const std::string& lead);

  const FitInput& input_;
  const int lastRow_;
  const std::array<Parameter, 2> parameters_;

  double bestSsq_ = kStartSsq;
  double trialSsq_ = 0;
  double stepControl_ = 20 * kStartSsq;
  // Starts above any score, so that the best pair found is always the one kept.
  double overallBestSsq_ = HUGE_VAL;
  double outerValue_ = 0;
  double result1_ = 0, result2_ = 0;
  double overallBest1_ = 0, overallBest2_ = 0;
  long fitIterations_ = 0;
  std::string report_;
};

FitOutcome CurveSearch::Run() {
  // Until a trial improves, the pair in hand is the start of the search.
  result1_ = overallBest1_ = parameters_[0].lower;
  result2_ = overallBest2_ = parameters_[1].lower;
  LineSearch(0, parameters_[0].lower);
  ReportLine("FINAL:- /");
  FitOutcome outcome;
  outcome.ran = true;
  outcome.improved = overallBestSsq_ < HUGE_VAL;
  outcome.result1 = result1_;
  outcome.result2 = result2_;
  outcome.bestSsq = bestSsq_;
  outcome.iterations = fitIterations_;
  outcome.report = std::move(report_);
  return outcome;
}

void CurveSearch::LineSearch(int which, double start) {
  const Parameter& p = parameters_[which];
  Level level;
  level.lower = p.lower * kScale;
  level.upper = p.upper * kScale;
  level.step = level.s = p.step * kScale;
  level.value = start * kScale;
  do {
    // A perfect fit leaves nothing to improve (and nothing to divide by).
    if (bestSsq_ <= 0) break;
    ++level.i;
    ++fitIterations_;
    if (level.upper - level.lower <= level.s) {
      level.s = level.upper - level.lower;
      stepControl_ = bestSsq_ / 5;
    }
    const double r = stepControl_ / bestSsq_;
    const double move = std::fabs(Pcv(static_cast<float>(r)) * level.s) * level.direction;
    level.value = std::clamp(level.value + move, level.lower, level.upper);
    trialSsq_ =
        which == 0 ? ScoreOuterTrial(level.value) : FitResiduals(outerValue_ / kScale, level.value / kScale);
    Remember(level, Judge(level, which, r));
  } while (std::floor(level.s) != 0 && level.i < kMaxTrials && level.m != 0);
  if (which == 0) {
    result1_ = overallBest1_;
    result2_ = overallBest2_;
    bestSsq_ = overallBestSsq_ < HUGE_VAL ? overallBestSsq_ : bestSsq_;
  }
  ReportLine(p.label + ":" + IntegerText(level.m) + " /");
}

// The score of an outer value is the best the inner search finds with it.
double CurveSearch::ScoreOuterTrial(double value) {
  const double outerBest = bestSsq_;
  outerValue_ = value;
  bestSsq_ = kStartSsq;
  stepControl_ = 20 * kStartSsq;
  LineSearch(1, parameters_[1].lower);
  const double score = bestSsq_;
  bestSsq_ = outerBest;
  return score;
}

// Takes an improving trial as the new best; true when it improved.
bool CurveSearch::Judge(Level& level, int which, double r) {
  stepControl_ = std::sqrt(std::fabs(bestSsq_ - trialSsq_));
  if (!(trialSsq_ < bestSsq_)) return false;
  bestSsq_ = trialSsq_;
  if (level.last && level.last->score < 0) {
    // Two improvements in a row: nothing behind the previous one is better,
    // and the next move is longer. Holding the ratio instead would let a
    // search that began with a short move creep to its trial limit.
    stepControl_ = 2 * r * bestSsq_;
    (level.direction > 0 ? level.lower : level.upper) = level.last->value;
  }
  level.s = std::min(std::pow(level.step / kScale / 5 * bestSsq_, 0.7) * kScale, level.step);
  level.m = level.i;
  if (which == 0) {
    // The inner search has left its best value of the second parameter.
    result1_ = level.value / kScale;
  } else {
    result1_ = outerValue_ / kScale;
    result2_ = level.value / kScale;
  }
  if (bestSsq_ < overallBestSsq_) {
    overallBestSsq_ = bestSsq_;
    overallBest1_ = result1_;
    overallBest2_ = result2_;
  }
  return true;
}

// A trial no better than the one before turns the search around, and the
// bound ahead closes in on the point where it turned.
void CurveSearch::Remember(Level& level, bool improved) {
  const Level::Trial trial{level.value, improved ? -static_cast<double>(level.i) : stepControl_};
  if (level.last && !(trial.score < level.last->score)) {
    double& ahead = level.direction > 0 ? level.upper : level.lower;
    // Turning at a bound that does not move narrows nothing: without a
    // shorter step the search would circle the same points to its limit.
    if (ahead == level.value) level.s /= 2;
    ahead = level.value;
    level.direction = -level.direction;
    stepControl_ = 0.5 * bestSsq_;
  }
  level.last = trial;
}

double CurveSearch::FitResiduals(double p1, double p2) const {
  const Table<float>& steps = *input_.steps;
  const float time0 = steps(input_.inertDeg, kStepTime);
  const float interior0 = steps(input_.inertDeg, kStepInterior);
  const auto model = static_cast<int8_t>(input_.modelKind);
  const float a = model == 3 ? static_cast<float>(p1) - interior0 : static_cast<float>(p1);
  double ssq = 0;
  for (int row = input_.inertDeg; row <= lastRow_; ++row) {
    const float rise = steps(row, kStepInterior) - interior0;
    double seconds = steps(row, kStepTime) - time0;
    if (seconds < 0) seconds += kSecondsPerDay;  // the pre-heat went past midnight
    const double residual = seconds / 60 - HeatingProject(model, rise, a, static_cast<float>(p2));
    ssq += residual * residual;
  }
  return std::isfinite(ssq) ? ssq : kUnfit;
}

std::string CurveSearch::Heading() const {
  return "LEAST SQUARE: Iter. /\tLeast " + parameters_[0].label.substr(0, 10) + " / Least " +
         parameters_[1].label.substr(0, 10) + "   (LeastSSQ) : ";
}

void CurveSearch::ReportLine(const std::string& lead) {
  const std::string rule(78, '-');
  report_ += rule + "\n" + Heading() + "\n" + lead + IntegerText(fitIterations_) + " /" +
             NumberText(result1_) + " /" + NumberText(result2_) + "        (" + NumberText(bestSsq_) + ")\n" +
             rule + "\n";
}

// The search's parameters for model kind 1 (curve and slope) or 3 (ceiling
// and time constant); nullopt for another kind.
std::optional<std::array<Parameter, 2>> ParametersFor(const FitInput& input) {
  if (input.modelKind == 1) return std::array<Parameter, 2>{{{"Curve", -1, 5, 2}, {"Slope", 0, 30, 3}}};
  if (input.modelKind != 3) return std::nullopt;
  const double start = static_cast<double>(input.nextSetpoint) + 0.1;
  if (!std::isfinite(start)) return std::nullopt;
  // A set point near the top of the range leaves no room above it: the
  // ceiling is then held at its start.
  const double upper = std::max(100.0, start);
  return std::array<Parameter, 2>{
      {{"Ceil_Temp", start, upper, (upper - start) / 10}, {"Time_Const", 0, 1500, 150}}};
}

void StoreResults(LearningState& learning, const FitInput& input, const FitOutcome& outcome) {
  if (input.modelKind == 1) {
    learning.curve = static_cast<float>(outcome.result1);
    learning.slope = static_cast<float>(outcome.result2);
    return;
  }
  learning.ceilingTemp = static_cast<float>(outcome.result1);
  // The working ceiling is this pre-heat's, which its history record keeps.
  learning.fittedCeiling = learning.ceilingTemp;
  learning.fittedTimeConst = static_cast<float>(outcome.result2);
  learning.ceilingMargin = learning.ceilingTemp - (*input.steps)(input.inertDeg, kStepInterior);
}

}  // namespace

FitOutcome FitCurve(const FitInput& input) {
  if (input.steps == nullptr || input.inertDeg < 0 || input.stepIndex < input.inertDeg + 1) return {};
  // Rows beyond the table's end were never recorded.
  const int lastRow = std::min(input.stepIndex, input.steps->Rows());
  if (lastRow < input.inertDeg + 1 || input.steps->Columns() < kStepInterior) return {};
  auto parameters = ParametersFor(input);
  if (!parameters) return {};
  return CurveSearch(input, lastRow, (*parameters)[0], (*parameters)[1]).Run();
}

void FitPreheatCurve(const LearningParts& state, Diagnostics& diagnostics, LearningOperations& operations,
                     int modelKind) {
  LearningState& learning = state.learning;
  FitInput input;
  input.steps = &learning.stepTable;
  input.stepIndex = learning.stepIndex;
  input.inertDeg = state.settings.Inert_Deg;
  input.modelKind = modelKind;
  input.nextSetpoint = state.schedule.nextSetpoint;
  const FitOutcome outcome = FitCurve(input);
  if (!outcome.ran) return;
  state.control.fitDone = 1;
  diagnostics.Diagnostic(outcome.report);
  // The start of a search that never improved is no fit: the parameters in use stay.
  if (outcome.improved) StoreResults(learning, input, outcome);
  operations.ComputePreheatDuration(learning.fittedTimeConst);
}

}  // namespace kelvora
