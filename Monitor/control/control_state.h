// The control pass's own state: the smoothed sensors, the heating decision,
// the day's heating cycles and the cycle strip.
#ifndef KELVORA_MONITOR_CONTROL_CONTROL_STATE_H_
#define KELVORA_MONITOR_CONTROL_CONTROL_STATE_H_

#include <cstdint>
#include <string>

#include "Monitor/core/table.h"

namespace kelvora {

// Whether the burner is on.
enum class HeatState : uint8_t { kOff, kOn };

// What the heating decision is holding: the comfort temperature, the
// set-back, or a pre-heat towards the next comfort period. Undecided until
// the first decision.
enum class HeatMode : uint8_t { kUndecided, kComfort, kSetBack, kPreheat };

// How the weather moves the setpoint: not at all, up in cold wind, down in
// strong sun.
enum class WeatherMode : uint8_t { kNone, kCold, kSunny };

// Which way the interior is going within a burner cycle.
enum class Trend : uint8_t { kUnknown, kUp, kDown };

// What a row of the cycle log records. The log keeps the code as a number,
// as its file does.
enum class CycleCode : int8_t {
  kPreheat = -1,
  kOff = 0,
  kHeating = 1,
  kHeatPump = 2,
  kHeatPumpWait = 9,  // off, waiting for the heat-pump decision of the next pass
};

inline float CycleCodeValue(CycleCode code) { return static_cast<float>(static_cast<int8_t>(code)); }
inline CycleCode CycleCodeOf(float value) { return static_cast<CycleCode>(static_cast<int8_t>(value)); }
// Whether a cycle log entry holds `code`; exact, as a damaged file may hold
// a fraction.
inline bool HoldsCode(float value, CycleCode code) { return value == CycleCodeValue(code); }

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
  HeatState heatState = HeatState::kOff;
  HeatMode heatMode = HeatMode::kUndecided;
  WeatherMode weatherMode = WeatherMode::kNone;
  Trend trend = Trend::kUnknown;
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
  CycleCode cycleState = CycleCode::kOff;
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

}  // namespace kelvora

#endif  // KELVORA_MONITOR_CONTROL_CONTROL_STATE_H_
