#include "Functions/record.h"

#include <algorithm>
#include <bit>
#include <cassert>

namespace kelvora {
namespace {

constexpr int kSingleLength = 4;
constexpr int kInt16Length = 2;
constexpr uint32_t kMantissaMask = 0x7FFFFF;
// IEEE exponents of 254 and up have no MBF counterpart once biased by 2; 255
// (infinities, NaN) wraps to exponent byte 1 and comes back, 254 does not.
constexpr uint32_t kBeyondMbfRange = 254;

uint8_t Byte(char c) { return static_cast<uint8_t>(c); }

}  // namespace

std::array<uint8_t, 4> Mks(float value) {
  const uint32_t bits = std::bit_cast<uint32_t>(value);
  const uint32_t sign = bits >> 31;
  const uint32_t exponent = (bits >> 23) & 0xFF;
  const uint32_t mantissa = bits & kMantissaMask;
  if (exponent == kBeyondMbfRange) return {0, 0, 0, 0};
  return {static_cast<uint8_t>(mantissa & 0xFF), static_cast<uint8_t>((mantissa >> 8) & 0xFF),
          static_cast<uint8_t>((sign << 7) | (mantissa >> 16)), static_cast<uint8_t>((exponent + 2) & 0xFF)};
}

float Cvs(std::span<const uint8_t> bytes) {
  if (bytes.size() < kSingleLength || bytes[3] == 0) return 0;
  const uint32_t sign = bytes[2] >> 7;
  const uint32_t exponent = (bytes[3] - 2u) & 0xFF;
  const uint32_t mantissa = ((bytes[2] & 0x7Fu) << 16) | (uint32_t{bytes[1]} << 8) | bytes[0];
  return std::bit_cast<float>((sign << 31) | (exponent << 23) | mantissa);
}

float Cvs(std::string_view bytes) {
  return Cvs(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

bool FieldFits(size_t recordLength, int offset, int length) {
  return offset >= 0 && length >= 0 &&
         static_cast<size_t>(offset) + static_cast<size_t>(length) <= recordLength;
}

TextField RecordLayout::Text(int length) {
  assert(length >= 0);
  const TextField field{next_, length};
  next_ += length;
  return field;
}

SingleField RecordLayout::Single() {
  const SingleField field{next_};
  next_ += kSingleLength;
  return field;
}

Int16Field RecordLayout::Int16() {
  const Int16Field field{next_};
  next_ += kInt16Length;
  return field;
}

Record::Record(size_t length) : bytes_(length, ' ') {}

Record::Record(size_t length, std::string_view bytes) : bytes_(length, ' ') {
  std::copy_n(bytes.begin(), std::min(length, bytes.size()), bytes_.begin());
}

void Record::Set(TextField field, std::string_view text) {
  if (!FieldFits(length(), field.offset, field.length)) return;
  const auto start = bytes_.begin() + field.offset;
  const size_t kept = std::min(text.size(), static_cast<size_t>(field.length));
  std::copy_n(text.begin(), kept, start);
  std::fill(start + static_cast<std::ptrdiff_t>(kept), start + field.length, ' ');
}

void Record::Set(SingleField field, float value) {
  if (!FieldFits(length(), field.offset, kSingleLength)) return;
  const std::array<uint8_t, 4> mbf = Mks(value);
  std::copy(mbf.begin(), mbf.end(), bytes_.begin() + field.offset);
}

void Record::Set(Int16Field field, int16_t value) {
  if (!FieldFits(length(), field.offset, kInt16Length)) return;
  const auto bits = static_cast<uint16_t>(value);
  bytes_[static_cast<size_t>(field.offset)] = static_cast<char>(bits & 0xFF);
  bytes_[static_cast<size_t>(field.offset) + 1] = static_cast<char>(bits >> 8);
}

std::string_view Record::Get(TextField field) const {
  if (!FieldFits(length(), field.offset, field.length)) return {};
  return bytes().substr(static_cast<size_t>(field.offset), static_cast<size_t>(field.length));
}

float Record::Get(SingleField field) const {
  if (!FieldFits(length(), field.offset, kSingleLength)) return 0;
  return Cvs(bytes().substr(static_cast<size_t>(field.offset), kSingleLength));
}

int16_t Record::Get(Int16Field field) const {
  if (!FieldFits(length(), field.offset, kInt16Length)) return 0;
  const auto low = Byte(bytes_[static_cast<size_t>(field.offset)]);
  const auto high = Byte(bytes_[static_cast<size_t>(field.offset) + 1]);
  return static_cast<int16_t>(static_cast<uint16_t>(low | (high << 8)));
}

}  // namespace kelvora
