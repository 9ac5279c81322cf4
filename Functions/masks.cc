#include "Functions/masks.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace kelvora {
namespace {

constexpr size_t kNone = std::string_view::npos;

// Where a mask puts the number, and how.
struct Field {
  size_t begin = 0;  // first mask position of the field, sign positions included
  size_t end = 0;    // one past its last position
  bool hasPoint = false;
  bool startsWithPoint = false;
  int decimals = 0;
  char leadingSign = 0;  // '+', '-', or 0 without a sign position there
  char trailingSign = 0;
};

// The run of "#" and "." from the first "#" (or from a "." just before it).
Field LocateDigits(std::string_view mask, size_t firstHash) {
  Field field;
  field.begin = firstHash;
  if (field.begin > 0 && mask[field.begin - 1] == '.') --field.begin;
  field.end = firstHash;
  while (field.end < mask.size() && (mask[field.end] == '#' || mask[field.end] == '.')) ++field.end;
  field.startsWithPoint = mask[field.begin] == '.';
  const size_t point = mask.substr(field.begin, field.end - field.begin).rfind('.');
  if (point != kNone) {
    field.hasPoint = true;
    field.decimals = static_cast<int>(field.end - field.begin - point - 1);
  }
  return field;
}

// A "+" next to the field joins it, then a "-" next to that; "-" wins the sign.
void AddSignPositions(std::string_view mask, Field& field) {
  for (const char sign : {'+', '-'}) {
    if (field.begin > 0 && mask[field.begin - 1] == sign) {
      --field.begin;
      field.leadingSign = sign;
    }
  }
  for (const char sign : {'+', '-'}) {
    if (field.end < mask.size() && mask[field.end] == sign) {
      ++field.end;
      field.trailingSign = sign;
    }
  }
}

double PowerOfTen(int exponent) {
  double power = 1;
  for (int i = 0; i < exponent; ++i) power *= 10;
  return power;
}

// `x` (finite, not negative) to 16 significant digits without trailing zeros,
// always positional: the "%.16g" text wherever that is positional, and the same
// digits written out in full where "%.16g" would switch to exponent form, so a
// tiny or huge sum still cuts into proper digits. Locale-independent.
std::string PositionalDigits(double x) {
  char buffer[32];
  const char* end = std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::scientific, 15).ptr;
  const std::string_view scientific(buffer, static_cast<size_t>(end - buffer));  // d.ddddddddddddddde±XX
  const size_t e = scientific.find('e');
  std::string digits(1, scientific[0]);
  digits.append(scientific.substr(2, e - 2));
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  const char* exponentText = scientific.data() + e + (scientific[e + 1] == '+' ? 2 : 1);
  int exponent = 0;
  std::from_chars(exponentText, end, exponent);
  if (exponent < 0) {
    std::string text = "0.";
    text.append(static_cast<size_t>(-exponent - 1), '0');
    text.append(digits);
    return text;
  }
  const size_t whole = static_cast<size_t>(exponent) + 1;
  if (digits.size() <= whole) {
    digits.append(whole - digits.size(), '0');
  } else {
    digits.insert(whole, 1, '.');
  }
  return digits;
}

// The digits of |value| as the field shows them, without sign or padding.
std::string MagnitudeText(float value, const Field& field) {
  const double magnitude = std::fabs(static_cast<double>(value));
  if (std::isnan(magnitude)) return "nan";
  if (std::isinf(magnitude)) return "inf";
  // Half a unit of the last shown decimal is added and the rest cut off, so
  // halves go up in magnitude, judged on the stored single.
  std::string text = PositionalDigits(magnitude + 0.5 / PowerOfTen(field.decimals));
  size_t point = text.find('.');
  if (!field.hasPoint) return text.substr(0, point);
  if (point == kNone) {
    point = text.size();
    text += '.';
  }
  text.resize(point + 1 + static_cast<size_t>(field.decimals), '0');
  // A field without whole-number positions shows ".50", not "0.50".
  if (field.startsWithPoint && text.starts_with("0.")) text.erase(0, 1);
  return text;
}

}  // namespace

std::string Using(std::string_view mask, float value) {
  mask = mask.substr(0, std::min(mask.size(), kMaxMaskLength));
  const size_t firstHash = mask.find('#');
  if (firstHash == kNone) return std::string(mask);
  Field field = LocateDigits(mask, firstHash);
  AddSignPositions(mask, field);

  // The sign follows the value, not its rounded digits: -0.004 shows "-0.00".
  const bool negative = value < 0;
  char sign = negative ? '-' : '+';
  if (!negative && (field.leadingSign == '-' || field.trailingSign == '-')) sign = ' ';

  std::string result(mask.substr(0, field.begin));
  std::string number;
  if (field.leadingSign != 0) number += sign;
  number += MagnitudeText(value, field);
  if (field.trailingSign != 0) number += sign;
  const size_t width = field.end - field.begin;
  if (number.size() < width) result.append(width - number.size(), ' ');
  result += number;
  result += mask.substr(field.end);
  return result;
}

}  // namespace kelvora
