#include "Monitor/core/records.h"

#include <gtest/gtest.h>

namespace kelvora {
namespace {

TEST(RecordLayouts, DayRecordIsFiftyTwoBytesWithTheNumbersAfterTheDate) {
  DayRecordLayout day;
  EXPECT_EQ(day.layout.length(), kDayRecordLength);
  EXPECT_EQ(day.numbers[0].offset, 8);
  EXPECT_EQ(day.numbers[10].offset, 48);
}

TEST(RecordLayouts, PreheatRecordIsOneHundredTwentyBytesInItsFieldOrder) {
  PreheatRecordLayout preheat;
  EXPECT_EQ(preheat.layout.length(), kPreheatRecordLength);
  EXPECT_EQ(preheat.numbers[19].offset, 84);
  EXPECT_EQ(preheat.firstIntegers[0].offset, 88);
  EXPECT_EQ(preheat.firstIntegers[1].offset, 90);
  EXPECT_EQ(preheat.middleNumbers[0].offset, 92);
  EXPECT_EQ(preheat.secondIntegers[0].offset, 100);
  EXPECT_EQ(preheat.lastNumbers[3].offset, 116);
}

TEST(RecordLayouts, ADayRecordRoundTripsThroughItsBytes) {
  DayRecordLayout day;
  Record record(day.layout);
  record.Set(day.date, "19/06/15");
  record.Set(day.numbers[1], 123.25f);
  Record copy(kDayRecordLength, record.bytes());
  EXPECT_EQ(copy.Get(day.date), "19/06/15");
  EXPECT_EQ(copy.Get(day.numbers[1]), 123.25f);
}

}  // namespace
}  // namespace kelvora
