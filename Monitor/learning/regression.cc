#include "Monitor/learning/regression.h"

#include <cmath>
#include <optional>
#include <string_view>

#include "Functions/masks.h"
#include "Monitor/core/text_number.h"
#include "Monitor/learning/project_file.h"
#include "platform/user_interface.h"

namespace kelvora {
namespace {

constexpr int kVariables = 9;
constexpr size_t kLabelWidth = 38;
// A pivot that is exactly 0 is replaced by this, so a regressor that never
// varies (or never appears) costs the fit nothing instead of stopping it.
constexpr double kZeroPivot = 0.000001;
constexpr double kMinimumVariance = 0.00001;

// Windows-1252 bytes: "É" is 0xC9.
constexpr std::string_view kTimeConstLabel = "CONST. TEMPS NORMALIS\xC9";
constexpr std::string_view kCeilingLabel = "PLAFOND NORMALIS\xC9";

std::string Padded(std::string_view label) {
  std::string text(label);
  text.resize(kLabelWidth, ' ');
  return text;
}

std::string_view DependentLabel(int slot) {
  switch (slot) {
    case 0:
      return "DROP RATE";
    case 1:
      return "SLOPE";
    case 2:
      return "CURVE";
    case 4:
      return kTimeConstLabel;
    case 5:
      return kCeilingLabel;
    default:
      return "";  // slot 3 is never fitted
  }
}

std::string_view OtherModelLabel(int slot) {
  if (slot == 1) return "CURVE";
  if (slot == 5) return kTimeConstLabel;
  return "SLOPE";
}

// Variable 1 and 9 of a record for `slot`: the quantity the slot predicts
// and the other model's quantity that may help predict it.
double DependentValue(int slot, const PreheatHistoryRecord& r) {
  switch (slot) {
    case 0:
      return r.dropRate;
    case 1:
      return r.slope;
    case 2:
      return r.curve;
    case 4:
      return r.fittedTimeConst;
    case 5:
      return r.fittedCeiling;
    default:
      return 0;
  }
}

double OtherModelValue(int slot, const PreheatHistoryRecord& r) {
  if (slot == 1) return r.curve;
  if (slot == 2) return r.slope;
  if (slot == 5) return r.fittedTimeConst;
  return 0;
}

// --- The console report, built in Windows-1252 and handed on as UTF-8 ------

// How the console prints a number between texts: a blank or the sign before
// it, a blank after it.
std::string PrintedNumber(double value) {
  std::string text = SevenDigitText(static_cast<float>(value));
  return (text.front() == '-' ? "" : " ") + text + " ";
}

// A number in the report's "####.###" field. Unlike the file's masked
// numbers, the console's formatted print shows a minus sign, in a digit
// position of the field; a coefficient must not lose its sign on screen.
std::string ReportNumber(float value) {
  constexpr size_t kWidth = 8;
  std::string text = Using("####.###", value);
  if (value >= 0) return text;
  text.erase(0, text.find_first_not_of(' '));
  text.insert(0, "-");
  if (text.size() < kWidth) text.insert(0, kWidth - text.size(), ' ');
  return text;
}

class Report {
 public:
  Report& Text(std::string_view text) {
    line_ += text;
    return *this;
  }
  // Moves to `column` (from 1); past it, the text goes on at that column of
  // the next line, as the console's tabulation does.
  Report& Tab(size_t column) {
    if (line_.size() >= column) EndLine();
    line_.resize(column - 1, ' ');
    return *this;
  }
  Report& EndLine() {
    while (!line_.empty() && line_.back() == ' ') line_.pop_back();
    text_ += line_ + "\n";
    line_.clear();
    return *this;
  }
  std::string Utf8() const { return Cp1252ToUtf8(text_ + line_); }

 private:
  std::string text_;
  std::string line_;
};

// --- The fit ----------------------------------------------------------------

// The selected variables in increasing number; variable 1 always leads.
std::vector<int> SelectedVariables(uint16_t mask) {
  std::vector<int> selected = {1};
  for (int v = 2; v <= kVariables; ++v) {
    if (mask & (1u << (v - 1))) selected.push_back(v);
  }
  return selected;
}

uint16_t MaskOf(const std::vector<int>& selected) {
  uint16_t mask = 0;
  for (int v : selected) mask = static_cast<uint16_t>(mask | (1u << (v - 1)));
  return mask;
}

// Means and correlations with the dependent variable, over the records
// kept. Every value counts, so every pair of variables has N records. The
// deviations use divisor N; rounding can leave a variance a hair below 0,
// which counts as no variance rather than becoming NaN.
struct PairStatistics {
  std::array<double, kVariables> mean{};
  std::array<double, kVariables> corr{};  // corr[0] holds N
};

PairStatistics PairwiseStatistics(const std::vector<RegressionRow>& rows) {
  PairStatistics s;
  const double n = static_cast<double>(rows.size());
  std::array<double, kVariables> sum{}, sq{}, cross{};
  for (const RegressionRow& row : rows) {
    for (int i = 0; i < kVariables; ++i) {
      sum[i] += row[i];
      sq[i] += row[i] * row[i];
      cross[i] += row[i] * row[0];
    }
  }
  std::array<double, kVariables> sd{};
  for (int i = 0; i < kVariables && n > 0; ++i) {
    s.mean[i] = sum[i] / n;
    sd[i] = std::sqrt(std::fmax(0.0, (sq[i] - sum[i] * sum[i] / n) / n));
  }
  s.corr[0] = n;
  for (int i = 1; i < kVariables; ++i) {
    if (sd[i] > 0 && sd[0] > 0) s.corr[i] = (cross[i] / n - s.mean[0] * s.mean[i]) / (sd[0] * sd[i]);
  }
  return s;
}

// The normal equations of the selected variables, solved in place.
struct NormalEquations {
  int k = 0;
  std::vector<std::vector<double>> a;  // k x (k + 1), 0-based
  double sumY = 0, sumY2 = 0;
  std::vector<double> s, p;  // Σx_j and Σx_j·y before the elimination; s[0] = N, p[0] = Σy
};

NormalEquations Accumulate(const std::vector<RegressionRow>& rows, const std::vector<int>& selected) {
  NormalEquations e;
  e.k = static_cast<int>(selected.size());
  e.a.assign(e.k, std::vector<double>(e.k + 1, 0.0));
  std::vector<double> z(e.k + 1);
  for (const RegressionRow& row : rows) {
    z[0] = 1;
    for (int t = 1; t < e.k; ++t) z[t] = row[selected[t] - 1];
    z[e.k] = row[0];
    for (int i = 0; i < e.k; ++i) {
      for (int j = 0; j <= e.k; ++j) e.a[i][j] += z[i] * z[j];
    }
    e.sumY += row[0];
    e.sumY2 += row[0] * row[0];
  }
  for (int j = 0; j < e.k; ++j) {
    e.s.push_back(e.a[0][j]);
    e.p.push_back(e.a[j][e.k]);
  }
  return e;
}

// Gauss-Jordan without row exchange; afterwards column k holds the constant
// term and the coefficients.
void Eliminate(NormalEquations& e) {
  for (int i = 0; i < e.k; ++i) {
    if (e.a[i][i] == 0) e.a[i][i] = kZeroPivot;
    const double scale = 1 / e.a[i][i];
    for (double& cell : e.a[i]) cell *= scale;
    for (int r = 0; r < e.k; ++r) {
      if (r == i) continue;
      const double factor = e.a[r][i];
      for (int j = 0; j <= e.k; ++j) e.a[r][j] -= e.a[i][j] * factor;
    }
  }
}

// A double that rounds to a finite single: below the midpoint between the
// largest single and 2^128. False for NaN.
bool FitsSingle(double value) { return std::fabs(value) < 0x1.ffffffp127; }

// The slot of a fit, or nullopt when a near-singular system has blown a
// value past what a single (and the file) can hold.
std::optional<ModelSlot> FittedSlot(const std::vector<int>& selected, const NormalEquations& e,
                                    const PairStatistics& stats, int modelSlot, double n, double r) {
  bool fits = FitsSingle(r);
  auto single = [&fits](double value) {
    fits = fits && FitsSingle(value);
    return fits ? static_cast<float>(value) : 0.0f;
  };
  ModelSlot slot;
  slot.modelVarCount = static_cast<float>(e.k);
  slot.modelMask = MaskOf(selected);
  slot.modelSamples = static_cast<float>(n);
  slot.modelR = single(r);
  for (int t = 0; t < e.k; ++t) {
    ModelRow& row = slot.rows[t + 1];
    const int v = selected[t];
    row.modelVarIndex = static_cast<float>(v);
    row.modelVarName = RegressionLabel(modelSlot, v);
    row.modelMean = single((t == 0 ? e.sumY : e.s[t]) / n);
    row.modelCoef = single(e.a[t][e.k]);
    row.modelCorr = single(stats.corr[v - 1]);
  }
  if (!fits) return std::nullopt;
  return slot;
}

// The multiple correlation: √(SSR / SST). Rounding can make SSR a hair
// negative for a fit that explains nothing; that is R = 0, not NaN.
double MultipleR(const NormalEquations& e, double n, double sst) {
  double ssr = 0;
  for (int j = 1; j < e.k; ++j) ssr += e.a[j][e.k] * (e.p[j] - e.p[0] * e.s[j] / n);
  return std::sqrt(std::fmax(0.0, ssr / sst));
}

// The records whose selected variables are all finite numbers. A damaged
// history can hold NaN or an infinity, which would turn every sum into NaN.
std::vector<RegressionRow> FiniteRows(const std::vector<RegressionRow>& rows,
                                      const std::vector<int>& selected, size_t* skipped) {
  std::vector<RegressionRow> kept;
  for (const RegressionRow& row : rows) {
    bool finite = true;
    for (int v : selected) finite = finite && std::isfinite(row[v - 1]);
    if (finite) kept.push_back(row);
  }
  *skipped = rows.size() - kept.size();
  return kept;
}

void ReportHead(Report& report, uint16_t mask) {
  report.Text("   VARIABLES (").Text(PrintedNumber(mask)).Text("- ").Text(")");
  report.Tab(50).Text(" MOYENNE").Tab(65).Text(" COEFFICIENT").EndLine().EndLine();
}

void ReportRows(Report& report, const ModelSlot& slot) {
  for (int t = 1; t <= static_cast<int>(slot.modelVarCount); ++t) {
    const ModelRow& row = slot.rows[t];
    report.Text(PrintedNumber(row.modelVarIndex)).Tab(4).Text(row.modelVarName);
    report.Tab(50).Text(ReportNumber(row.modelMean));
    report.Tab(67).Text(ReportNumber(row.modelCoef)).EndLine();
  }
}

// The console's report of a fit (or of a failed one: no rows, mask 0).
void ReportSlot(Report& report, const ModelSlot& slot, double n) {
  ReportHead(report, slot.modelMask);
  ReportRows(report, slot);
  report.EndLine().Text("   COEFFICIENT de R\xC9GRESSION MULTIPLE").EndLine();
  report.Text("  (")
      .Text(PrintedNumber(n))
      .Text(
          "\xE9"
          "chantillons)");
  report.Tab(67).Text(ReportNumber(slot.modelR)).EndLine();
}

// No model: count 0 and mask 0, so the evaluation skips the slot. No
// runtime error is trapped here, so its number and place print as 0.
RegressionOutcome FailureExit(Report& report, double n) {
  report.Text("ERROR: ").Text(PrintedNumber(0)).Text("in").Text(PrintedNumber(0)).EndLine();
  RegressionOutcome outcome;
  outcome.slot.modelSamples = static_cast<float>(n);
  ReportSlot(report, outcome.slot, n);
  outcome.report = report.Utf8();
  return outcome;
}

}  // namespace

std::string RegressionLabel(int slot, int variable) {
  switch (variable) {
    case 1:
      return Padded(DependentLabel(slot));
    case 2:
      return Padded("TEMP. DROP RATE (MIN/DEG.)");
    case 3:
      return Padded("MEAN TEMP. of the DAY");
    case 4:
      return Padded("MEAN WINDCHILL TEMP. of the DAY");
    case 5:
      return Padded("PH STARTING TEMP.");
    case 6:
      return Padded("PH STARTING WINDCHILL TEMP.");
    case 7:
      return Padded("PH STARTING SUN STRENGH");
    case 8:
      return Padded("DEGREES to REACH");
    case 9:
      return Padded(OtherModelLabel(slot));
    default:
      return Padded("");
  }
}

RegressionRow RegressionVariables(const LearningParts& state, int slot, const PreheatHistoryRecord& record) {
  const Settings& settings = state.settings;
  const double sunCeiling = settings.Sun_Sensor_Ceil;
  RegressionRow row;
  row[0] = DependentValue(slot, record);
  row[1] = record.dropRate;
  row[2] = record.dayMeanExterior;
  row[3] = record.dayWindChill;
  row[4] = record.startExterior;
  row[5] = record.startWindChill;
  // Before the sun sensor has shown anything its ceiling is 0: no sun.
  row[6] = sunCeiling != 0 ? static_cast<double>(record.startSun) / sunCeiling * 100 : 0.0;
  row[7] = static_cast<double>(record.endInterior) - record.firstStepInterior - settings.Inert_Deg / 10.0;
  row[8] = OtherModelValue(slot, record);
  return row;
}

// A regressor that hardly varies over the records says nothing about the
// dependent variable, and fitting it beside the constant term makes the
// normal equations nearly singular: the elimination then turns rounding
// noise into coefficients of any size. Such a variable is left out of the
// fit (its mask bit is cleared). The spread is in the variable's own unit,
// and 0.05 lies below what the sensors resolve. A variable that is 0 in
// every record stays: its pivot is exactly 0, and the elimination gives it
// the coefficient 0 cleanly.
constexpr double kMinimumSpread = 0.05;

bool Informative(const std::vector<RegressionRow>& rows, int variable) {
  double sum = 0, sq = 0;
  bool allZero = true;
  for (const RegressionRow& row : rows) {
    double x = row[variable - 1];
    sum += x;
    sq += x * x;
    allZero = allZero && x == 0;
  }
  double n = static_cast<double>(rows.size());
  double variance = n > 0 ? (sq - sum * sum / n) / n : 0;
  return allZero || variance >= kMinimumSpread * kMinimumSpread;
}

std::vector<int> VaryingVariables(const std::vector<RegressionRow>& rows, const std::vector<int>& selected) {
  std::vector<int> kept = {selected.front()};
  for (size_t t = 1; t < selected.size(); ++t) {
    if (Informative(rows, selected[t])) kept.push_back(selected[t]);
  }
  return kept;
}

RegressionOutcome Regress(const std::vector<RegressionRow>& allRows, uint16_t mask, int modelSlot) {
  Report report;
  size_t skipped = 0;
  const std::vector<RegressionRow> rows = FiniteRows(allRows, SelectedVariables(mask), &skipped);
  const std::vector<int> selected = VaryingVariables(rows, SelectedVariables(mask));
  if (skipped > 0) {
    report.Text(PrintedNumber(static_cast<double>(skipped)))
        .Text("RECORDS SKIPPED: A VALUE IS NOT A FINITE NUMBER.")
        .EndLine();
  }
  const double n = static_cast<double>(rows.size());
  const int k = static_cast<int>(selected.size());
  if (k >= static_cast<int>(rows.size())) {
    report.Text("TOO FEW SUBJECTS FOR A MODEL WITH").Text(PrintedNumber(k - 1));
    report.Text("INDEPENDENT VARIABLES!").EndLine();
    return FailureExit(report, n);
  }
  const PairStatistics stats = PairwiseStatistics(rows);
  NormalEquations e = Accumulate(rows, selected);
  Eliminate(e);
  const double sst = e.sumY2 - e.sumY * e.sumY / n;
  if (sst < kMinimumVariance) {
    report.Text("COMPUTATION ABORTED - D.V. HAS NO VARIANCE.").EndLine();
    return FailureExit(report, n);
  }
  const std::optional<ModelSlot> fitted = FittedSlot(selected, e, stats, modelSlot, n, MultipleR(e, n, sst));
  if (!fitted) {
    report.Text("COMPUTATION ABORTED - RESULT OUT OF RANGE.").EndLine();
    return FailureExit(report, n);
  }
  RegressionOutcome outcome;
  outcome.slot = *fitted;
  ReportSlot(report, outcome.slot, n);
  outcome.report = report.Utf8();
  return outcome;
}

namespace {

std::vector<RegressionRow> SelectedHistoryRows(const LearningParts& state, const LearningServices& services) {
  const LearningState& l = state.learning;
  std::vector<RegressionRow> rows;
  const bool timeWindow = state.control.pendingSlotEnd != 0;
  for (int number = l.firstRecord; number <= l.lastRecord; ++number) {
    const PreheatHistoryRecord record = ReadHistoryRecord(state, services, static_cast<uint16_t>(number));
    if (!HistorySelects(state, record, l.relaxLevel, timeWindow)) continue;
    rows.push_back(RegressionVariables(state, l.currentModel, record));
  }
  return rows;
}

}  // namespace

void RunRegression(const LearningParts& state, const LearningServices& services) {
  const LearningState& l = state.learning;
  RegressionOutcome outcome;
  if (l.lastRecord == 0) {
    Report report;  // an empty history: nothing to fit, nothing to say but the failure
    outcome = FailureExit(report, 0);
  } else {
    outcome = Regress(SelectedHistoryRows(state, services), l.variableMask, l.currentModel);
  }
  // The header and the fitted block go out as one rewrite: a crash between
  // two writes would leave a header naming a model whose block is missing.
  services.files.WriteWholeFile(kProjectFile, ProjectFileText(state) + ModelBlockText(outcome.slot));
  services.diagnostics.Diagnostic(outcome.report);
}

}  // namespace kelvora
