// Named fields of the 120-byte pre-heat record, over the layout declared at
// start-up: the control pass fills them while a pre-heat runs, the history
// reads them back.
#ifndef KELVORA_MONITOR_CORE_PREHEAT_RECORD_H_
#define KELVORA_MONITOR_CORE_PREHEAT_RECORD_H_

#include "Monitor/core/records.h"

namespace kelvora {

// Positions in PreheatRecordLayout::numbers, in file order.
enum PreheatNumber {
  kStartTime = 0,
  kDayMeanExterior,
  kDayMeanWind,
  kDayMeanSun,
  kDayWindChill,
  kSetbackStartTime,
  kSetbackStartExterior,
  kSetbackStartInterior,
  kDropRate,
  kDropTimeConst,
  kStartExterior,
  kStartWind,
  kStartSun,
  kStartWindChill,
  kFirstStepInterior,
  kStepThreshold,
  kEndInterior,
  kProgrammedTime,
  kPredictedSeconds,
  kActualSeconds,
};

struct PreheatFields {
  explicit PreheatFields(const PreheatRecordLayout& layout) : layout_(layout) {}

  TextField Date() const { return layout_.date; }
  SingleField Number(PreheatNumber which) const { return layout_.numbers[which]; }
  Int16Field RiseDelay() const { return layout_.firstIntegers[0]; }
  Int16Field InertiaDelay() const { return layout_.firstIntegers[1]; }
  SingleField FittedTimeConst() const { return layout_.middleNumbers[0]; }
  SingleField FittedCeiling() const { return layout_.middleNumbers[1]; }
  Int16Field InertDeg() const { return layout_.secondIntegers[0]; }
  Int16Field Variant() const { return layout_.secondIntegers[1]; }
  SingleField EnergyUsed() const { return layout_.lastNumbers[0]; }
  SingleField Reserved() const { return layout_.lastNumbers[1]; }
  SingleField Slope() const { return layout_.lastNumbers[2]; }
  SingleField Curve() const { return layout_.lastNumbers[3]; }

 private:
  const PreheatRecordLayout& layout_;
};

}  // namespace kelvora

#endif  // KELVORA_MONITOR_CORE_PREHEAT_RECORD_H_
