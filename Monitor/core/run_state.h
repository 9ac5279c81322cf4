// The program's whole run state, owned by one object and touched only by the
// control thread. Grouped by subsystem; field names are the program's own.
#ifndef KELVORA_MONITOR_CORE_RUN_STATE_H_
#define KELVORA_MONITOR_CORE_RUN_STATE_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Monitor/core/records.h"
#include "Monitor/core/settings.h"
#include "Monitor/core/table.h"

namespace kelvora {

// Constant texts and masks, set once by the start-up sequence.
struct ConstantTexts {
  std::string settingsPath;  // "..\Settings.ini", relative to "DATA"
  std::string carriageReturn, lineFeed, tab;
  // [language][day 1..7]; entry 0 of each language holds nothing. Day 1 is Sunday.
  std::array<std::array<std::string, 8>, 2> dayNameTable;
  std::array<std::string, 2> defaultProgramName;  // by language, English first
  std::array<std::string, 2> holidayProgramName;
  std::array<std::string, 2> windHeadings;  // by speedUnits
  std::array<std::string, 2> tempMask;      // by tempUnits; the degree sign is the byte 0xB0
  std::array<std::string, 2> signedTempMask;
  std::string decimalMask;  // "-###.###"
  std::string windMask;     // "###"
  std::string percentMask;  // "###.#%"
};

struct ClockState {
  int32_t clockSeconds = 0;
  int32_t previousClockSeconds = 0;
  int32_t elapsedSeconds = 0;
  int32_t lastPassSecond = -1;
  std::string durationText;  // width 9: what FormatDuration produced last
  std::string todayDate;     // "yy/mm/dd"
  uint16_t todayNumber = 0;
  uint16_t todaySeasonDay = 0;
  uint8_t todayWeekday = 0;  // 1 = Sunday
};

// The relay bits, their masks and rated powers (kW).
struct CardState {
  std::string cardKind;  // "PCI", "ISA" or empty
  uint8_t simulationMode = 0;
  uint16_t isaPort = 0;
  uint16_t inputPort = 0;
  uint16_t outputPort = 0;
  uint32_t cardMemoryBase = 0;  // found by the PCI scan; kept, not used
  uint8_t outputByte = 0;

  uint8_t fanLowBit = 0, fanHighBit = 0, stage1Bit = 0, stage2Bit = 0, heatPumpBit = 0;
  uint8_t fanLowMask = 0, fanHighMask = 0, stage1Mask = 0, stage2Mask = 0, heatPumpMask = 0;
  float fanLowPower = 0, fanHighPower = 0, stage1Power = 0, stage2Power = 0, heatPumpPower = 0;
  float totalRatedPower = 0;
};

// The simulated house that stands in for the sensors when there is no card.
struct SensorState {
  bool simStarted = false;  // the first simulated reading has been made
  float simStartTemp = 0;   // interior at the start of the current cycle
  int8_t simDirection = 0;  // +1 while the current cycle heats, -1 while it is off
  int8_t simLastDirection = 0;
  float simNoiseScale = 0;  // drawn again at each change of direction
  float simRate = 13;
  float simAccel = 1;
  float simSun = 0;
  int32_t simLastCallSeconds = -1;  // clock second of the previous reading; -1 before the first
  float lastInteriorRaw = 0;        // the last raw value of the interior channel
};

struct ErrorState {
  uint8_t lastErrorNumber = 0;
  uint8_t errorAnswer = 0;
  std::string errorMessage;
};

// Capacities of the smoothing rings: slot 0 of a ring holds the running sum,
// slots 1..capacity the samples.
struct RingCapacities {
  int interior = 0, exterior = 0, sun = 0, sunHour = 0, sunCorrection = 0, quarter = 0, wind = 0,
      windHour = 0;
};

// How far a ring is filled and where its next sample goes (1..capacity).
struct RingCursor {
  int count = 0;
  int index = 0;
};

struct ControlState {
  uint8_t controlStarted = 0;
  uint8_t changeFlags = 0;  // bit 0: program fields, bit 1: cycle strip
  uint8_t setBackActive = 0;
  uint16_t heatPumpHold = 0;

  // Sensors, smoothed.
  float interiorTemp = 0;
  float exteriorTempRaw = 0;
  float exteriorTemp = 0;
  float sunNow = 0;
  float sunHour = 0;
  float sunCorrection = 0;
  float windNow = 0;
  float windHour = 0;
  float windChill = 0;
  float exteriorBias = 0;
  float biasReference = 0;
  float minimumSunLevel = 0;  // Min_Sun_Strengh percent of Sun_Sensor_Ceil
  std::string lastMinuteDigit;
  int quarterRows = 0;  // rows of quarterLog in use
  float quarterExteriorMean = 0, quarterSunMean = 0;

  RingCapacities capacities;
  int sunCorrectionWindow = 0;     // follows WIND_Floor, at most capacities.sunCorrection
  Table<float> interiorRing;       // 0..60
  Table<float> exteriorRing;       // 0..60 x 0..1: raw, then sun-corrected
  Table<float> sunRing;            // 0..60
  Table<float> sunHourRing;        // 0..30
  Table<float> sunCorrectionRing;  // 0..60
  Table<float> quarterLog;         // 0..96 x 0..2
  Table<float> windRing;           // 0..1
  Table<float> windHourRing;       // 0..30
  RingCursor interiorCursor, exteriorCursor, sunCursor, sunHourCursor, sunCorrectionCursor, windCursor,
      windHourCursor;

  // The heating decision.
  std::string heatState;    // "ON" / "OFF"
  std::string heatMode;     // "HI", "LOW", "PRE-HT"
  std::string weatherMode;  // a copy of heatMode, "COLD" or "SUNNY"
  std::string trend;        // "UP" / "DWN"
  float setpoint = 0;
  float previousSetpoint = 0;
  float weatherOffset = 0, coldRaise = 0, sunnyDrop = 0;
  float peakTemp = 99;
  float troughTemp = 0;
  float switchTemp = 0;
  float meanUndershoot = 0, meanOvershoot = 0;
  int shootCapacity = 0;
  Table<float> undershootHistory;  // 0..4 x 0..2, newest in row 1
  Table<float> overshootHistory;   // 0..4 x 0..2
  int undershootCount = 2;
  int overshootCount = 1;
  float stage2Band = 0;
  int8_t cycleState = 0;
  uint8_t previousSlot = 0;
  uint8_t lowSlot = 0;  // the slot in which the set-back began
  int32_t slotEnd = 0;
  int32_t pendingSlotEnd = 0;
  int16_t planFlag = -1;  // -1: the pre-heat estimate is to be redone
  uint8_t fitDone = 0;
  int32_t lastEstimateTime = 0;
  uint8_t hpChangedInPreheat = 0;

  // Fan bits that follow the schedule (auto) and that never stop (cont).
  uint8_t autoFanBits = 0;
  uint8_t contFanBits = 0;

  // Heating cycles: state, start (s), interior, exterior, duration (s),
  // energy (kWh). Rows 1..cycleIndex are in use; the table grows on demand.
  Table<float> cycleLog;  // 0..500 x 0..5 at the start of a day
  int cycleIndex = 0;

  // The cycle strip: code page 437 lines, one per two minutes of a cycle.
  Table<std::string> stripRows;  // 0..15 at the start of a day
  int stripColumn = 1;
  int stripIndex = 0;
  int stripMinutes = 0;
  int stripRowCount = 15;
};

// Columns of a cycleLog row.
enum CycleColumn {
  kCycleState = 0,
  kCycleStart,
  kCycleInterior,
  kCycleExterior,
  kCycleDuration,
  kCycleEnergy
};

struct DaySlot {
  std::string start;
  std::string end;
  std::string manual;  // "1" for a slot added or changed by hand
};

// Rows of the five schedule tables, every field a text as it stands in its
// file (Windows-1252 bytes kept).
struct ProgramRow {
  std::string program;      // program name
  std::string time;         // "hh:mm", or a program (hand-over) or hour-label name
  std::string temperature;  // degrees Celsius, or a temperature-label name
  bool operator==(const ProgramRow&) const = default;
};
struct DayRow {
  std::string day;  // a weekday as the day-name table spells it
  std::string program;
};
struct HolidayRow {
  std::string date;     // "yy/mm/dd", any part may be "**"
  std::string program;  // empty: the default holiday program
};
struct LabelRow {
  std::string name;
  std::string value;  // hour labels: "hh:mm"; temperature labels: degrees Celsius
  bool operator==(const LabelRow&) const = default;
};

inline constexpr size_t kProgramRowCapacity = 200;
inline constexpr size_t kScheduleRowCapacity = 100;  // days, holidays, hours, temps
inline constexpr uint8_t kMaxDaySlots = 29;

struct ScheduleState {
  // The tables, row r at index r - 1; their sizes are the row counts.
  std::vector<ProgramRow> programRows;
  std::vector<DayRow> dayRows;
  std::vector<HolidayRow> holidayRows;
  std::vector<LabelRow> hourLabels;
  std::vector<LabelRow> tempLabels;
  // The main window's program box (combo 1026): filled when the window
  // opens; a program the Programs dialog creates joins it.
  std::vector<std::string> programBox;

  // The day's slots: 0 is the time before slot 1, 1..slotCount the real
  // slots, slotCount + 1 the closing entry "24:00".."99:99".
  std::array<DaySlot, 31> daySlots;   // records 0..30
  std::array<float, 32> slotTemps{};  // 0..31
  uint8_t slotCount = 0;
  uint8_t currentSlot = 0;
  uint8_t nextSlot = 0;
  float nextSetpoint = 0;
  std::string currentProgram;
  std::string requestedProgram;
  float programTemp = 999;  // 999: no schedule temperature taken over yet
};

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

// The day's accounting and statistics, kept across restarts by the day files.
struct Statistic {
  float minimum = 999;
  float sum = 0;
  float maximum = -999;
};

struct DayStatistics {
  float dayWeightSeconds = 0;
  Statistic interior, exterior, windChill, sun, wind;
  float sunHourMax = 0;
};

struct StatisticsState {
  float powerNow = 0;
  float energyToday = 0;
  float heatingSeconds = 0;
  std::string heatingTimeText = " 0:00:00";
  float onSeconds = 0;
  std::string onTimeText = " 0:00:00";
  float offSeconds = 0;
  std::string offTimeText = " 0:00:00";
  float onPercent = 0, offPercent = 0;
  float setbackSeconds = 0;
  float setbackEnergy = 0;
  float setbackDuty = 0, regularDuty = 0, savedEnergy = 0;
  float energyMark = 0;
  int32_t lastMarkSaveMinute = -1;  // clock minute of the last save on a running-time mark
  DayStatistics day;
  uint16_t tempRecordCount = 0;
  int tempFile = 0;  // "TEMP.DAT", open for the day's record (FileId)
};

// The record layouts of the binary files, declared once at start-up.
struct RecordLayouts {
  DayRecordLayout day;
  PreheatRecordLayout preheat;
};

struct RunState {
  ConstantTexts texts;
  RecordLayouts records;
  Settings settings;
  ClockState clock;
  CardState card;
  SensorState sensors;
  ErrorState errors;
  ControlState control;
  ScheduleState schedule;
  LearningState learning;
  StatisticsState statistics;
};

}  // namespace kelvora

#endif  // KELVORA_MONITOR_CORE_RUN_STATE_H_
