#include "Functions/record.h"

#include <array>
#include <bit>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <utility>

#include "gtest/gtest.h"

namespace kelvora {
namespace {

using Bytes = std::array<uint8_t, 4>;

uint32_t Bits(float value) { return std::bit_cast<uint32_t>(value); }

// --- MBF singles ------------------------------------------------------------

// The IEEE bytes with the sign moved into byte 2 and the biased exponent,
// plus 2, into byte 3; 255 + 2 wraps, and magnitudes from 2^127 up are
// written as zero.
TEST(Mks, WritesTheMbfBytes) {
  const std::pair<uint32_t, Bytes> rows[] = {
      {Bits(1.0f), {0x00, 0x00, 0x00, 0x81}}, {Bits(-1.0f), {0x00, 0x00, 0x80, 0x81}},
      {Bits(0.5f), {0x00, 0x00, 0x00, 0x80}}, {Bits(0.0f), {0x00, 0x00, 0x00, 0x02}},
      {0x3F123456, {0x56, 0x34, 0x12, 0x80}}, {0x7F800000, {0x00, 0x00, 0x00, 0x01}},  // infinity
      {Bits(3.0e38f), {0, 0, 0, 0}},          {0xFF000000, {0, 0, 0, 0}},              // -2^127
  };
  for (const auto& [bits, bytes] : rows)
    EXPECT_EQ(Mks(std::bit_cast<float>(bits)), bytes) << std::hex << bits;
}

// Only the first four bytes count, and an exponent byte of zero is zero
// whatever the other bytes.
TEST(Cvs, ReadsTheMbfBytes) {
  EXPECT_EQ(Cvs(std::string_view("\x00\x00\x00\x81\x99", 5)), 1.0f);
  EXPECT_EQ(Bits(Cvs(Bytes{0, 0, 0, 0})), Bits(0.0f));
  EXPECT_EQ(Bits(Cvs(Bytes{0xFF, 0xFF, 0xFF, 0x00})), Bits(0.0f));
}

TEST(Cvs, EveryTruncatedPrefixIsZero) {
  const Bytes one = Mks(1.0f);
  for (size_t length = 0; length < 4; ++length) {
    EXPECT_EQ(Cvs(std::span<const uint8_t>(one.data(), length)), 0.0f) << length << " bytes";
  }
}

TEST(MbfRoundTrip, EveryFiniteSingleBelowTwoToThe127ComesBackBitForBit) {
  std::mt19937 random(1981);
  int checked = 0;
  while (checked < 200000) {
    const auto bits = static_cast<uint32_t>(random());
    if (((bits >> 23) & 0xFF) >= 254) continue;  // 2^127 and up, infinities, NaN
    ASSERT_EQ(Bits(Cvs(Mks(std::bit_cast<float>(bits)))), bits) << std::hex << bits;
    ++checked;
  }
}

TEST(MbfRoundTrip, ZerosSubnormalsRangeEndsInfinitiesAndNanComeBack) {
  for (const uint32_t bits : {0x00000000u, 0x80000000u, 0x00000001u, 0x007FFFFFu, 0x7EFFFFFFu, 0xFEFFFFFFu,
                              0x7F800000u, 0xFF800000u, 0x7FC00000u, 0xFFC12345u}) {
    EXPECT_EQ(Bits(Cvs(Mks(std::bit_cast<float>(bits)))), bits) << std::hex << bits;
  }
}

// --- Records and field views ---------------------------------------------------

// Laid out like the season file's day record: a date and eleven numbers.
struct DayRecord {
  RecordLayout layout;
  TextField date = layout.Text(kDateFieldLength);
  SingleField first = layout.Single();
  SingleField second = layout.Single();
  SingleField rest[9] = {layout.Single(), layout.Single(), layout.Single(), layout.Single(), layout.Single(),
                         layout.Single(), layout.Single(), layout.Single(), layout.Single()};
};

// Laid out like the pre-heat record: numbers with 16-bit integers between them.
struct PreheatRecord {
  RecordLayout layout;
  TextField date = layout.Text(kDateFieldLength);
  TextField numbers = layout.Text(20 * 4);
  Int16Field startMinute = layout.Int16();
  Int16Field endMinute = layout.Int16();
  SingleField afterIntegers = layout.Single();
  TextField rest = layout.Text(4 + 2 * 2 + 4 * 4);  // a number, two integers, four numbers
};

class RecordTest : public testing::Test {
 protected:
  DayRecord day_;
  Record record_{day_.layout};
};

TEST_F(RecordTest, LayoutsAddUpToTheirRecordLengthsAndANewRecordIsAllBlanks) {
  EXPECT_EQ(day_.layout.length(), 52u);
  EXPECT_EQ(PreheatRecord().layout.length(), 120u);
  EXPECT_EQ(record_.bytes(), std::string(52, ' '));
}

TEST_F(RecordTest, TextIsCutOrBlankFilledToItsField) {
  record_.Set(day_.date, "19/06/15XY");
  EXPECT_EQ(record_.bytes().substr(0, 12), "19/06/15    ");  // the next field is untouched
  record_.Set(day_.date, "19/6/1");
  EXPECT_EQ(record_.Get(day_.date), "19/6/1  ");
}

TEST_F(RecordTest, NumbersAreStoredAsMbfAtTheirOffsets) {
  record_.Set(day_.second, 1.0f);
  record_.Set(day_.rest[8], -1.0f);
  EXPECT_EQ(record_.bytes(), std::string(12, ' ') + std::string("\x00\x00\x00\x81", 4) +
                                 std::string(32, ' ') + std::string("\x00\x00\x80\x81", 4));
  EXPECT_EQ(record_.Get(day_.second), 1.0f);
}

TEST_F(RecordTest, ShortBytesFillTheRestWithBlanksAndLongBytesAreCut) {
  EXPECT_EQ(Record(6, "ab").bytes(), "ab    ");
  EXPECT_EQ(Record(2, "abcdef").bytes(), "ab");
}

TEST_F(RecordTest, FieldOutsideTheRecordReadsEmptyAndIgnoresWrites) {
  Record shortRecord(10);
  shortRecord.Set(day_.first, 5.0f);  // bytes 8 to 11: only partly inside
  EXPECT_EQ(shortRecord.bytes(), std::string(10, ' '));
  EXPECT_EQ(shortRecord.Get(day_.first), 0.0f);
  EXPECT_EQ(shortRecord.Get(TextField{4, 8}), "");
}

TEST(Int16Field, StoresTwoBytesLeastSignificantFirstAndReadsThemBackSigned) {
  PreheatRecord preheat;
  Record record(preheat.layout);
  record.Set(preheat.startMinute, 0x1234);
  record.Set(preheat.endMinute, -32768);
  record.Set(preheat.afterIntegers, 0.5f);
  EXPECT_EQ(record.bytes().substr(88, 8), std::string("\x34\x12\x00\x80\x00\x00\x00\x80", 8));
  EXPECT_EQ(record.Get(preheat.endMinute), -32768);
}

}  // namespace
}  // namespace kelvora
