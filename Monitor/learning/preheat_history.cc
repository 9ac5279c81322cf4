#include "Monitor/learning/preheat_history.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "Functions/formulas.h"
#include "Monitor/core/kept_files.h"
#include "Monitor/core/preheat_record.h"
#include "Monitor/core/text_number.h"

namespace kelvora {
namespace {

constexpr const char* kHistoryTemp = "PREHEAT.TMP";
// Five seasons of 365.25 days: older pre-heats describe another house.
constexpr double kFiveSeasons = 1826.25;
constexpr int kClassColumns = 10;
constexpr int kMaxYearRange = 5;
constexpr int kLastRelaxLevel = 3;

enum ClassColumn {
  kCount = 0,
  kTimeConst,
  kCeiling,
  kRiseDelay,
  kInertia,
  kFirstStepOffset,
  kDropRate,
  kSun,
  kSunPercent,
  kSlope,
  kCurve
};

const PreheatRecordLayout& Layout() {
  static const PreheatRecordLayout layout;
  return layout;
}

double RoundHalfEven(double value) { return std::nearbyint(value); }

// A whole-number key of [System], read with `current` as default; an
// unreadable or out-of-range value keeps `current`.
template <typename T>
T ReadSystemInteger(const LearningParts& state, const LearningServices& services, const char* key,
                    size_t chars, T current) {
  const std::string& path = state.texts.settingsPath;
  std::string text = services.profile.Read("System", key, std::to_string(current), chars, path);
  double number = RoundHalfEven(ReadNumber(text));
  if (!(number >= std::numeric_limits<T>::min() && number <= std::numeric_limits<T>::max())) return current;
  return static_cast<T>(number);
}

// The fields the averages and the regression read must be numbers; a record
// damaged on disk (NaN, infinities, a negative duration) is left out.
bool Usable(const PreheatHistoryRecord& r) {
  const float values[] = {r.dayWindChill,
                          r.fittedTimeConst,
                          r.fittedCeiling,
                          r.firstStepInterior,
                          r.stepThreshold,
                          r.endInterior,
                          r.dropRate,
                          r.startSun,
                          r.slope,
                          r.curve,
                          r.actualSeconds,
                          r.programmedTime,
                          r.dayMeanExterior,
                          r.startExterior,
                          r.startWindChill,
                          r.dropTimeConst,
                          r.setbackStartTime,
                          r.predictedSeconds};
  for (float value : values) {
    if (!std::isfinite(value)) return false;
  }
  return r.actualSeconds >= 0;
}

// --- Opening and rotation --------------------------------------------------

// A history cut short by a crash or a copy holds a partial record at its
// end. That tail is kept aside and cut off, so the next record is appended
// on a record boundary and the file reads as whole records again.
void CutPartialRecord(const LearningServices& services) {
  FileLayer& files = services.files;
  uint64_t size = files.FileSize(kPreheatHistoryFile).value_or(0);
  if (size % kPreheatRecordLength == 0) return;
  KeepDamagedCopy(services.files, services.console, kPreheatHistoryFile,
                  "its length is not a whole number of records", "the partial record at its end is left out");
  std::string bytes = files.ReadWholeFile(kPreheatHistoryFile);
  files.WriteWholeFile(kPreheatHistoryFile, bytes.substr(0, bytes.size() - size % kPreheatRecordLength));
}

void OpenHistoryFile(const LearningParts& state, const LearningServices& services) {
  LearningState& l = state.learning;
  if (!services.files.IsOpen(l.historyFile))
    l.historyFile = services.files.OpenRecord(kPreheatHistoryFile, kPreheatRecordLength);
}

void OpenHistory(const LearningParts& state, const LearningServices& services) {
  LearningState& l = state.learning;
  FileLayer& files = services.files;
  ClosePreheatHistory(state, services);
  CutPartialRecord(services);
  OpenHistoryFile(state, services);
  uint32_t count = std::min<uint32_t>(files.RecordCount(l.historyFile), std::numeric_limits<uint16_t>::max());
  l.historyCount = ReadSystemInteger<uint16_t>(state, services, "ROF(2)", 19, static_cast<uint16_t>(count));
  // An override beyond the file would read records that are not there.
  l.historyCount = static_cast<uint16_t>(std::min<uint32_t>(l.historyCount, count));
  l.selectedCount = 0;
  l.relaxLevel = -1;
  l.firstRecord = ReadSystemInteger<uint16_t>(state, services, "Start_Rec", 19, 1);
  if (l.firstRecord == 0) l.firstRecord = 1;
  l.lastRecord = l.historyCount;
}

// Copies the records newer than `threshold` to "PREHEAT.TMP", archives the
// whole history under "History" and puts the copy in its place.
void ArchiveOldRecords(const LearningParts& state, const LearningServices& services, double threshold) {
  LearningState& l = state.learning;
  FileLayer& files = services.files;
  files.Remove(kHistoryTemp);
  FileId temp = files.OpenRecord(kHistoryTemp, kPreheatRecordLength);
  for (uint32_t r = l.firstRecord; r <= l.lastRecord; ++r) {
    std::string bytes = files.GetRecord(l.historyFile, r);
    if (NumDate(DecodePreheatRecord(bytes).date) > threshold) {
      ++l.selectedCount;
      files.PutRecord(temp, static_cast<uint32_t>(l.selectedCount), bytes);
    }
  }
  files.Close(temp);
  files.Close(l.historyFile);
  l.historyFile = kNoFile;
  std::string yy = state.clock.todayDate.substr(0, 2);
  files.Remove("PREHEAT." + yy);
  // The season rotation may already have archived a history under this
  // year's name; it is kept, and this one takes the next free name.
  std::string archive = FreeFileName(files, "History\\PREHEAT." + yy);
  if (archive.empty()) return;
  files.Rename(kPreheatHistoryFile, archive);
  files.Remove(kPreheatHistoryFile);
  files.Rename(kHistoryTemp, kPreheatHistoryFile);
}

void RotateHistory(const LearningParts& state, const LearningServices& services) {
  LearningState& l = state.learning;
  double threshold = (state.clock.todayNumber - state.clock.todaySeasonDay) - kFiveSeasons;
  // Each round leaves a history whose first record is recent; a third round
  // would mean the file changed under us.
  for (int round = 0; round < 3; ++round) {
    OpenHistory(state, services);
    std::string date = state.clock.todayDate;
    if (l.historyCount != 0) date = ReadHistoryRecord(state, services, 1).date;
    if (NumDate(date) >= threshold) return;
    ArchiveOldRecords(state, services, threshold);
    if (l.selectedCount == 0) break;
  }
  // A rotation that kept nothing leaves the (now empty) history closed.
  if (!services.files.IsOpen(l.historyFile)) OpenHistory(state, services);
}

// --- Classes ----------------------------------------------------------------

int ClassCount(const LearningState& l) { return l.classTable.Rows(); }

int ClassOf(const LearningState& l, float windChill) {
  double c = RoundHalfEven((static_cast<double>(windChill) + 50) / l.classStep);
  if (!(c >= 0)) return 0;
  return static_cast<int>(std::min<double>(c, ClassCount(l)));
}

void ChooseClassWidth(const LearningParts& state, const LearningServices& services) {
  LearningState& l = state.learning;
  uint16_t n = static_cast<uint16_t>(l.lastRecord - l.firstRecord);
  int8_t width = n < 200 ? static_cast<int8_t>(5 - n / 100) : 3;
  l.classStep = ReadSystemInteger<int8_t>(state, services, "STP", 4, width);
  // A width of 0 or less has no classes.
  if (l.classStep < 1) l.classStep = width;
  int k = static_cast<int>(RoundHalfEven(100.0 / l.classStep));
  l.classTable.Dimension(k, kClassColumns);
}

float SunPercent(const LearningParts& state, float startSun) {
  float ceil = state.settings.Sun_Sensor_Ceil;
  float minimum = state.settings.Min_Sun_Strengh / 100 * ceil;
  if (ceil - minimum <= 0) return 0;
  float percent = (startSun - minimum) / (ceil - minimum) * 100;
  return percent < 0 ? 0 : percent;
}

void AddToClass(const LearningParts& state, const PreheatHistoryRecord& r) {
  LearningState& l = state.learning;
  int c = ClassOf(l, r.dayWindChill);
  float inert = state.settings.Inert_Deg;
  float ceil = state.settings.Sun_Sensor_Ceil;
  Table<float>& t = l.classTable;
  t(c, kCount) += 1;
  t(c, kTimeConst) += r.fittedTimeConst;
  t(c, kRiseDelay) += r.riseDelay;
  // Inertia delays are compared at today's number of inertia steps.
  t(c, kInertia) += r.inertDeg > 0 ? r.inertiaDelay * inert / r.inertDeg : r.inertiaDelay;
  t(c, kFirstStepOffset) += r.firstStepInterior - r.stepThreshold;
  t(c, kDropRate) += r.dropRate;
  t(c, kSun) += ceil > 0 ? r.startSun / ceil * 100 : 0;
  l.classSunPercent = SunPercent(state, r.startSun);
  t(c, kSunPercent) += l.classSunPercent;
  t(c, kSlope) += r.slope;
  t(c, kCurve) += r.curve;
}

void SelectionPass(const LearningParts& state, const LearningServices& services) {
  LearningState& l = state.learning;
  l.classTable.Dimension(ClassCount(l), kClassColumns);
  l.selectedCount = 0;
  for (uint32_t r = l.firstRecord; r <= l.lastRecord; ++r) {
    PreheatHistoryRecord record = ReadHistoryRecord(state, services, static_cast<uint16_t>(r));
    if (!HistorySelects(state, record, l.relaxLevel)) continue;
    ++l.selectedCount;
    AddToClass(state, record);
  }
}

void SelectRecords(const LearningParts& state, const LearningServices& services) {
  LearningState& l = state.learning;
  uint16_t& yearRange = state.settings.Year_Range;
  for (;;) {
    SelectionPass(state, services);
    if (l.selectedCount < l.minRecords && yearRange < kMaxYearRange && l.relaxLevel == -1) {
      ++yearRange;
      continue;
    }
    if (l.selectedCount < l.minRecords)
      yearRange = ReadSystemInteger<uint16_t>(state, services, "Year_Range", 19, yearRange);
    if (l.selectedCount >= l.minRecords || l.relaxLevel >= kLastRelaxLevel) return;
    ++l.relaxLevel;
  }
}

void SetDefaultClass(const LearningParts& state, int c, const std::array<float, kClassColumns + 1>& values) {
  Table<float>& t = state.learning.classTable;
  if (t(c, kCount) != 0) return;
  for (int column = 0; column <= kClassColumns; ++column) t(c, column) = values[column];
}

void SetDefaultClasses(const LearningParts& state) {
  float inertia = 60.0f * state.settings.Inert_Deg;
  bool quadratic = state.learning.modelKind == 1;
  SetDefaultClass(
      state, 0,
      {1, 50, 10, 60, inertia, 0.5f, 300, 0, 0, quadratic ? 20.0f : 50.0f, quadratic ? 1.5f : 900.0f});
  SetDefaultClass(
      state, ClassCount(state.learning),
      {1, 1000, 100, 60, inertia, 0, 0, 100, 100, quadratic ? 1.0f : 50.0f, quadratic ? 0.1f : 900.0f});
}

// --- Interpolation -----------------------------------------------------------

struct Neighbours {
  int lower = 0;
  int upper = 0;
  float fraction = 0;
};

Neighbours FindNeighbours(const LearningState& l) {
  const Table<float>& t = l.classTable;
  int c = l.currentClass;
  if (t(c, kCount) > 0) return {c, c, 0};
  Neighbours n{c, c, 0};
  while (n.lower > 0 && t(n.lower, kCount) <= 0) --n.lower;
  while (n.upper < ClassCount(l) && t(n.upper, kCount) <= 0) ++n.upper;
  n.fraction = static_cast<float>(c - n.lower) / static_cast<float>(n.upper - n.lower);
  return n;
}

// Class means between the two neighbours. Sums of damaged records can
// overflow a single; then the value in use is kept, since an infinity or a
// NaN would reach every estimate that follows.
float Interpolate(const LearningState& l, const Neighbours& n, int column, float inUse) {
  const Table<float>& t = l.classTable;
  double low = static_cast<double>(t(n.lower, column)) / t(n.lower, kCount);
  double high = static_cast<double>(t(n.upper, column)) / t(n.upper, kCount);
  double value = low + (high - low) * n.fraction;
  if (!std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max()) return inUse;
  return static_cast<float>(value);
}

int16_t RoundedInt16(float value) {
  double rounded = RoundHalfEven(value);
  if (!(rounded > -32768)) return -32768;
  return static_cast<int16_t>(std::min(rounded, 32767.0));
}

// The ceiling a record's pre-heat was heading for, from how far it climbed
// in the time it took at the class's time constant.
float CeilingEstimate(const PreheatHistoryRecord& r, float timeConst) {
  float minutes = (r.actualSeconds - r.riseDelay - r.inertiaDelay) / 60;
  float fraction = Pcv(minutes / timeConst);
  // Without a climb to measure (no time, or no time constant) the record's
  // own fitted ceiling is the best estimate it has.
  if (!(fraction > 0.001f) || !std::isfinite(fraction)) return r.fittedCeiling;
  float rise = ((10 * (r.endInterior - r.stepThreshold) + 1 - r.inertDeg) / 10) / fraction;
  return r.inertDeg / 10.0f + r.stepThreshold + rise;
}

void SumCeilings(const LearningParts& state, const LearningServices& services) {
  LearningState& l = state.learning;
  for (uint32_t r = l.firstRecord; r <= l.lastRecord; ++r) {
    PreheatHistoryRecord record = ReadHistoryRecord(state, services, static_cast<uint16_t>(r));
    if (!HistorySelects(state, record, l.relaxLevel)) continue;
    float ceiling = CeilingEstimate(record, l.timeConst);
    if (std::isfinite(ceiling)) l.classTable(ClassOf(l, record.dayWindChill), kCeiling) += ceiling;
  }
}

void InterpolateClasses(const LearningParts& state, const LearningServices& services) {
  LearningState& l = state.learning;
  const ControlState& c = state.control;
  l.currentClass = static_cast<int16_t>(ClassOf(l, Windchill(c.exteriorTemp, c.windHour)));
  Neighbours n = FindNeighbours(l);
  l.timeConst = Interpolate(l, n, kTimeConst, l.timeConst);
  l.slope = Interpolate(l, n, kSlope, l.slope);
  SumCeilings(state, services);
  l.ceilingTemp = Interpolate(l, n, kCeiling, l.ceilingTemp);
  l.riseDelaySeconds = RoundedInt16(Interpolate(l, n, kRiseDelay, l.riseDelaySeconds));
  l.inertiaSeconds = RoundedInt16(Interpolate(l, n, kInertia, l.inertiaSeconds));
  l.firstStepOffset = Interpolate(l, n, kFirstStepOffset, l.firstStepOffset);
  l.classDropRate = Interpolate(l, n, kDropRate, l.classDropRate);
  l.classSun = Interpolate(l, n, kSun, l.classSun);
  l.classSunPercent = Interpolate(l, n, kSunPercent, l.classSunPercent);
  l.curve = Interpolate(l, n, kCurve, l.curve);
  l.classSlope = l.slope;
  l.classCurve = l.curve;
  state.control.planFlag = l.currentClass;
}

}  // namespace

PreheatHistoryRecord DecodePreheatRecord(std::string_view bytes) {
  std::string whole(bytes.substr(0, kPreheatRecordLength));
  whole.resize(kPreheatRecordLength, '\0');
  Record record(kPreheatRecordLength, whole);
  PreheatFields f(Layout());
  PreheatHistoryRecord r;
  r.date = std::string(record.Get(f.Date()));
  float* numbers[] = {&r.startTime,    &r.dayMeanExterior,  &r.dayMeanWind,          &r.dayMeanSun,
                      &r.dayWindChill, &r.setbackStartTime, &r.setbackStartExterior, &r.setbackStartInterior,
                      &r.dropRate,     &r.dropTimeConst,    &r.startExterior,        &r.startWind,
                      &r.startSun,     &r.startWindChill,   &r.firstStepInterior,    &r.stepThreshold,
                      &r.endInterior,  &r.programmedTime,   &r.predictedSeconds,     &r.actualSeconds};
  for (int i = 0; i < 20; ++i) *numbers[i] = record.Get(f.Number(static_cast<PreheatNumber>(i)));
  r.riseDelay = record.Get(f.RiseDelay());
  r.inertiaDelay = record.Get(f.InertiaDelay());
  r.fittedTimeConst = record.Get(f.FittedTimeConst());
  r.fittedCeiling = record.Get(f.FittedCeiling());
  r.inertDeg = record.Get(f.InertDeg());
  r.variant = record.Get(f.Variant());
  r.energyUsed = record.Get(f.EnergyUsed());
  r.reserved = record.Get(f.Reserved());
  r.slope = record.Get(f.Slope());
  r.curve = record.Get(f.Curve());
  return r;
}

std::string EncodePreheatRecord(const PreheatHistoryRecord& r) {
  Record record(kPreheatRecordLength);
  PreheatFields f(Layout());
  record.Set(f.Date(), r.date);
  const float numbers[] = {r.startTime,    r.dayMeanExterior,  r.dayMeanWind,          r.dayMeanSun,
                           r.dayWindChill, r.setbackStartTime, r.setbackStartExterior, r.setbackStartInterior,
                           r.dropRate,     r.dropTimeConst,    r.startExterior,        r.startWind,
                           r.startSun,     r.startWindChill,   r.firstStepInterior,    r.stepThreshold,
                           r.endInterior,  r.programmedTime,   r.predictedSeconds,     r.actualSeconds};
  for (int i = 0; i < 20; ++i) record.Set(f.Number(static_cast<PreheatNumber>(i)), numbers[i]);
  record.Set(f.RiseDelay(), r.riseDelay);
  record.Set(f.InertiaDelay(), r.inertiaDelay);
  record.Set(f.FittedTimeConst(), r.fittedTimeConst);
  record.Set(f.FittedCeiling(), r.fittedCeiling);
  record.Set(f.InertDeg(), r.inertDeg);
  record.Set(f.Variant(), r.variant);
  record.Set(f.EnergyUsed(), r.energyUsed);
  record.Set(f.Reserved(), r.reserved);
  record.Set(f.Slope(), r.slope);
  record.Set(f.Curve(), r.curve);
  return std::string(record.bytes());
}

bool HistorySelects(const LearningParts& state, const PreheatHistoryRecord& record, int relaxLevel,
                    bool timeWindow) {
  if (record.variant != static_cast<int16_t>(state.control.heatPumpHold) || !Usable(record)) return false;
  const Settings& s = state.settings;
  const ClockState& clock = state.clock;
  if (relaxLevel <= 0) {
    double earliest = clock.todayNumber - s.Year_Range * 365.25 - (s.Year_Range == 0 ? s.Day_Range : 0);
    if (NumDate(record.date) < earliest) return false;
  }
  if (relaxLevel <= 1) {
    // Signed: early in the season the window's start lies before day 0, and
    // an unsigned difference would wrap and shut every record out.
    int seasonDay = Julian07(record.date);
    if (seasonDay < clock.todaySeasonDay - s.Day_Range || seasonDay > clock.todaySeasonDay + s.Day_Range)
      return false;
  }
  if (relaxLevel <= 2 && timeWindow) {
    double due = state.control.pendingSlotEnd;
    if (record.programmedTime < due - 3600 || record.programmedTime > due + 3600) return false;
  }
  return true;
}

PreheatHistoryRecord ReadHistoryRecord(const LearningParts& state, const LearningServices& services,
                                       uint16_t number) {
  OpenHistoryFile(state, services);
  LearningState& l = state.learning;
  return DecodePreheatRecord(services.files.GetRecord(l.historyFile, number));
}

void ReadPreheatHistory(const LearningParts& state, const LearningServices& services) {
  uint16_t configuredYears = state.settings.Year_Range;
  RotateHistory(state, services);
  ChooseClassWidth(state, services);
  SelectRecords(state, services);
  SetDefaultClasses(state);
  InterpolateClasses(state, services);
  // A widened year range served this selection only; the next starts from
  // the configured one again.
  state.settings.Year_Range = configuredYears;
}

void ClosePreheatHistory(const LearningParts& state, const LearningServices& services) {
  LearningState& l = state.learning;
  FileLayer& files = services.files;
  if (files.IsOpen(l.historyFile)) files.Close(l.historyFile);
  l.historyFile = kNoFile;
}

void AppendPreheatRecord(const LearningParts& state, const LearningServices& services) {
  OpenHistoryFile(state, services);
  LearningState& l = state.learning;
  FileLayer& files = services.files;
  // Always after the last record in the file: a count overridden in the
  // settings must not make a new record overwrite an old one.
  uint32_t number = files.RecordCount(l.historyFile) + 1;
  if (number > std::numeric_limits<uint16_t>::max()) return;
  files.PutRecord(l.historyFile, number, l.preheatRecord.bytes());
  l.historyCount = static_cast<uint16_t>(number);
  l.lastRecord = l.historyCount;
}

}  // namespace kelvora
