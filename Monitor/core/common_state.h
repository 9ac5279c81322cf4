// What every part of the program reads: the constant texts, the clock of
// the pass, the last error and the record layouts of the binary files.
#ifndef KELVORA_MONITOR_CORE_COMMON_STATE_H_
#define KELVORA_MONITOR_CORE_COMMON_STATE_H_

#include <array>
#include <cstdint>
#include <string>

#include "Monitor/core/records.h"

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

struct ErrorState {
  uint8_t lastErrorNumber = 0;
  uint8_t errorAnswer = 0;
  std::string errorMessage;
};

// The record layouts of the binary files, declared once at start-up.
struct RecordLayouts {
  DayRecordLayout day;
  PreheatRecordLayout preheat;
};

}  // namespace kelvora

#endif  // KELVORA_MONITOR_CORE_COMMON_STATE_H_
