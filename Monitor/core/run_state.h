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
};

struct ErrorState {
  uint8_t lastErrorNumber = 0;
  uint8_t errorAnswer = 0;
  std::string errorMessage;
};

// A smoothing ring: slot 0 holds the running sum, slots 1..capacity the samples.
struct RingCapacities {
  int interior = 0, exterior = 0, sun = 0, sunHour = 0, sunCorrection = 0, quarter = 0, wind = 0,
      windHour = 0;
};

struct ControlState {
  uint8_t controlStarted = 0;
  uint8_t changeFlags = 0;
  uint8_t setBackActive = 0;
  uint16_t heatPumpHold = 0;
  std::string heatState;  // "ON" / "OFF"
  std::string heatMode;   // "HI", "LOW", "PRE-HT", ...
  float interiorTemp = 0;
  float exteriorTemp = 0;

  RingCapacities capacities;
  Table<float> interiorRing;       // 0..60
  Table<float> exteriorRing;       // 0..60 x 0..1: raw, then sun-corrected
  Table<float> sunRing;            // 0..60
  Table<float> sunHourRing;        // 0..30
  Table<float> sunCorrectionRing;  // 0..60
  Table<float> quarterLog;         // 0..96 x 0..2
  Table<float> windRing;           // 0..1
  Table<float> windHourRing;       // 0..30
  int shootCapacity = 0;
  Table<float> undershootHistory;  // 0..4 x 0..2
  Table<float> overshootHistory;   // 0..4 x 0..2

  // Heating cycles: state, start (s), interior, exterior, duration (s), energy (kWh).
  Table<float> cycleLog;         // 0..500 x 0..5
  int cycleIndex = 0;            // the last row in use
  Table<std::string> stripRows;  // 0..15, code page 437 texts
  int stripColumn = 1;
  int stripIndex = 0;
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

struct LearningState {
  Table<float> stepTable;  // 0..20 x 0..10 until the pre-heat history re-dimensions it
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
};

}  // namespace kelvora

#endif  // KELVORA_MONITOR_CORE_RUN_STATE_H_
