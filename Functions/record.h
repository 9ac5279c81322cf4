// Fixed-length binary records: a blank-filled byte buffer with named field views,
// and the 4-byte MBF singles in which every number of a record is stored.
//
// MBF single, 4 bytes in file order:
//   byte 0, byte 1  low mantissa bytes (as IEEE 754 bytes 0 and 1)
//   byte 2          bit 7 sign, bits 6-0 high mantissa bits
//   byte 3          exponent = IEEE 754 biased exponent + 2 (mod 256); 0 means the value 0
// IEEE zero is written 00 00 00 02, infinities and NaN get exponent byte 1, and
// magnitudes of 2^127 and more (no room in the MBF range) are written as 0.
// 16-bit integer fields: 2 bytes, least significant first, two's complement.
// Text fields: the bytes as they stand, left-aligned, blank-padded.
#ifndef KELVORA_FUNCTIONS_RECORD_H_
#define KELVORA_FUNCTIONS_RECORD_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "Functions/export.h"

namespace kelvora {

// The MBF bytes of `value`.
KELVORA_EXPORT std::array<uint8_t, 4> Mks(float value);
// The single held in the first 4 bytes of `bytes`; 0 for fewer than 4 bytes or
// an exponent byte of 0. Cvs(Mks(x)) is x bit for bit for every x below 2^127.
KELVORA_EXPORT float Cvs(std::span<const uint8_t> bytes);
KELVORA_EXPORT float Cvs(std::string_view bytes);

// Whether `length` bytes from `offset` lie wholly inside a record of `recordLength`.
KELVORA_EXPORT bool FieldFits(size_t recordLength, int offset, int length);

// The length of a short-date text field ("yy/mm/dd").
inline constexpr int kDateFieldLength = 8;

// Where a field lies in its record. Made by RecordLayout, used with Record.
struct TextField {
  int offset;
  int length;
};
struct SingleField {
  int offset;
};
struct Int16Field {
  int offset;
};

// Fields laid end to end from offset 0, in the order they are added. A record
// type is a struct whose first member is the layout and whose other members
// are its fields, so the declaration order is the byte order:
//   struct DayRecord {
//     RecordLayout layout;
//     TextField date = layout.Text(kDateFieldLength);
//     SingleField interiorMin = layout.Single();
//   };
class KELVORA_EXPORT RecordLayout {
 public:
  TextField Text(int length);
  SingleField Single();
  Int16Field Int16();
  // The record length: the sum of the field lengths so far.
  size_t length() const { return static_cast<size_t>(next_); }

 private:
  int next_ = 0;
};

// A record buffer of fixed length. A field that does not lie wholly inside the
// record reads as empty text or 0 and ignores writes.
class KELVORA_EXPORT Record {
 public:
  // A record of `length` blanks.
  explicit Record(size_t length);
  explicit Record(const RecordLayout& layout) : Record(layout.length()) {}
  // A record of `length` holding `bytes`: cut when longer, blank-filled when shorter.
  Record(size_t length, std::string_view bytes);

  size_t length() const { return bytes_.size(); }
  // All bytes of the record, as written to or read from its file.
  std::string_view bytes() const { return bytes_; }

  // Text: copied in left-aligned, blank-padded, cut to the field's length.
  void Set(TextField field, std::string_view text);
  void Set(SingleField field, float value);
  void Set(Int16Field field, int16_t value);

  std::string_view Get(TextField field) const;
  float Get(SingleField field) const;
  int16_t Get(Int16Field field) const;

 private:
  std::string bytes_;
};

}  // namespace kelvora

#endif  // KELVORA_FUNCTIONS_RECORD_H_
