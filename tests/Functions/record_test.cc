#include "Functions/record.h"

#include <array>
#include <bit>
#include <cstdint>
#include <random>
#include <string>
#include <utility>

#include "gtest/gtest.h"

namespace kelvora {
namespace {

using Bytes = std::array<uint8_t, 4>;

uint32_t Bits(float value) { return std::bit_cast<uint32_t>(value); }

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

// Only the first four bytes count, fewer read as zero, and an exponent byte
// of zero is zero whatever the other bytes.
TEST(Cvs, ReadsTheFirstFourMbfBytes) {
  EXPECT_EQ(Cvs(std::string_view("\x00\x00\x00\x81\x99", 5)), 1.0f);
  EXPECT_EQ(Bits(Cvs(Bytes{0, 0, 0, 0})), Bits(0.0f));
  EXPECT_EQ(Bits(Cvs(Bytes{0xFF, 0xFF, 0xFF, 0x00})), Bits(0.0f));
  const Bytes one = Mks(1.0f);
  for (size_t length = 0; length < 4; ++length)
    EXPECT_EQ(Cvs(std::span<const uint8_t>(one.data(), length)), 0.0f) << length << " bytes";
}

TEST(MbfRoundTrip, EverySingleBelowTwoToThe127ComesBackBitForBit) {
  for (const uint32_t bits : {0x00000000u, 0x80000000u, 0x00000001u, 0x007FFFFFu, 0x7EFFFFFFu, 0xFEFFFFFFu,
                              0x7F800000u, 0xFF800000u, 0x7FC00000u, 0xFFC12345u}) {
    EXPECT_EQ(Bits(Cvs(Mks(std::bit_cast<float>(bits)))), bits) << std::hex << bits;
  }
  std::mt19937 random(1981);
  for (int checked = 0; checked < 200000;) {
    const auto bits = static_cast<uint32_t>(random());
    if (((bits >> 23) & 0xFF) >= 254) continue;  // 2^127 and up, infinities, NaN
    ASSERT_EQ(Bits(Cvs(Mks(std::bit_cast<float>(bits)))), bits) << std::hex << bits;
    ++checked;
  }
}

// Fields laid end to end, as in the season file's day record: a record of
// the layout's length, blank until written.
TEST(Record, TextIsCutOrBlankFilledAndNumbersAreMbfAtTheirOffsets) {
  RecordLayout layout;
  const TextField date = layout.Text(kDateFieldLength);
  const SingleField first = layout.Single(), second = layout.Single();
  Record record(layout);
  record.Set(date, "19/06/15XY");
  record.Set(second, -1.0f);
  EXPECT_EQ(record.bytes(), "19/06/15" + std::string(4, ' ') + std::string("\x00\x00\x80\x81", 4));
  record.Set(date, "19/6/1");
  record.Set(first, 1.0f);
  EXPECT_EQ(record.Get(date), "19/6/1  ");
  EXPECT_EQ(record.Get(first), 1.0f);
}

TEST(Record, BytesAreFittedToTheLengthAndFieldsOutsideItReadEmptyAndIgnoreWrites) {
  EXPECT_EQ(Record(6, "ab").bytes(), "ab    ");
  EXPECT_EQ(Record(2, "abcdef").bytes(), "ab");
  RecordLayout layout;
  layout.Text(8);
  const SingleField partlyInside = layout.Single();  // bytes 8 to 11
  Record shortRecord(10);
  shortRecord.Set(partlyInside, 5.0f);
  EXPECT_EQ(shortRecord.bytes(), std::string(10, ' '));
  EXPECT_EQ(shortRecord.Get(partlyInside), 0.0f);
  EXPECT_EQ(shortRecord.Get(TextField{4, 8}), "");
}

TEST(Int16Field, StoresTwoBytesLeastSignificantFirstAndReadsThemBackSigned) {
  RecordLayout layout;
  const Int16Field start = layout.Int16(), end = layout.Int16();
  const SingleField after = layout.Single();
  Record record(layout);
  record.Set(start, 0x1234);
  record.Set(end, -32768);
  record.Set(after, 0.5f);
  EXPECT_EQ(record.bytes(), std::string("\x34\x12\x00\x80\x00\x00\x00\x80", 8));
  EXPECT_EQ(record.Get(end), -32768);
}

}  // namespace
}  // namespace kelvora
