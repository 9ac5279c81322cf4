#include "Monitor/core/text_number.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <system_error>

namespace kelvora {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexDigit(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

double ReadHex(std::string_view digits) {
  double value = 0;
  for (char c : digits) {
    int digit = HexDigit(c);
    if (digit < 0) break;
    value = value * 16 + digit;  // grows to infinity, never to NaN
  }
  return value;
}

size_t SkipDigits(std::string_view text, size_t i) {
  while (i < text.size() && IsDigit(text[i])) ++i;
  return i;
}

// The end of the exponent that starts at `i`, or `i` when there is none
// (a letter without digits is not an exponent: "1e" reads as 1).
size_t ExponentEnd(std::string_view text, size_t i) {
  if (i >= text.size()) return i;
  char letter = text[i];
  if (letter != 'e' && letter != 'E' && letter != 'd' && letter != 'D') return i;
  size_t j = i + 1;
  if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
  size_t end = SkipDigits(text, j);
  return end > j ? end : i;
}

// Whether a number beyond a double's range is too large rather than too
// small. Such a number lies hundreds of powers of ten away from 1, so the
// rough power of ten of its first significant digit is enough to tell.
bool Overflows(std::string_view number) {
  size_t exponentAt = number.find('e');
  std::string_view mantissa = number.substr(0, exponentAt);
  size_t point = mantissa.find('.');
  size_t intEnd = point == std::string_view::npos ? mantissa.size() : point;
  size_t firstSignificant = mantissa.find_first_of("123456789");
  if (firstSignificant == std::string_view::npos) return false;
  long power = static_cast<long>(intEnd) - static_cast<long>(firstSignificant);
  if (exponentAt == std::string_view::npos) return power > 0;
  std::string_view exponent = number.substr(exponentAt + 1);
  long value = 0;
  for (char c : exponent) {
    if (IsDigit(c) && value < 100000000) value = value * 10 + (c - '0');  // saturates, far beyond any double
  }
  return power + (exponent.front() == '-' ? -value : value) > 0;
}

double ConvertDecimal(std::string number) {
  for (char& c : number) {
    if (c == 'd' || c == 'D') c = 'e';
  }
  double value = 0;
  auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (error == std::errc::result_out_of_range) {
    return Overflows(number) ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return error == std::errc() ? value : 0.0;
}

std::string FromChars(char* begin, std::to_chars_result result) { return std::string(begin, result.ptr); }

std::string StripZeros(std::string mantissa) {
  if (mantissa.find('.') == std::string::npos) return mantissa;
  while (mantissa.back() == '0') mantissa.pop_back();
  if (mantissa.back() == '.') mantissa.pop_back();
  return mantissa;
}

}  // namespace

double ReadNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  if (i + 1 < text.size() && text[i] == '&' && (text[i + 1] == 'h' || text[i + 1] == 'H')) {
    return ReadHex(text.substr(i + 2));
  }
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  size_t start = i;
  i = SkipDigits(text, i);
  bool hasDigits = i > start;
  if (i < text.size() && text[i] == '.') {
    size_t fraction = i + 1;
    i = SkipDigits(text, fraction);
    hasDigits = hasDigits || i > fraction;
  }
  if (!hasDigits) return 0.0;
  i = ExponentEnd(text, i);
  double value = ConvertDecimal(std::string(text.substr(start, i - start)));
  return negative ? -value : value;
}

std::string ShortestText(float value) {
  char buffer[32];
  return FromChars(buffer, std::to_chars(buffer, buffer + sizeof buffer, value));
}

std::string SevenDigitText(float value) {
  if (std::isnan(value)) return "0";
  if (value == 0) return "0";  // also -0, which would read as a negative number
  double exact = std::isinf(value) ? std::copysign(std::numeric_limits<float>::max(), value) : value;
  char buffer[64];
  // The exponent of the value rounded to 7 digits chooses the form, as %.7G does.
  std::string scientific = FromChars(
      buffer, std::to_chars(buffer, buffer + sizeof buffer, exact, std::chars_format::scientific, 6));
  size_t e = scientific.find('e');
  int exponent = std::atoi(scientific.c_str() + e + 1);
  if (exponent >= -4 && exponent < 7) {
    return StripZeros(FromChars(buffer, std::to_chars(buffer, buffer + sizeof buffer, exact,
                                                      std::chars_format::fixed, 6 - exponent)));
  }
  std::string exponentText = scientific.substr(e + 1);  // "+07", "-05", "+38"
  return StripZeros(scientific.substr(0, e)) + "E" + exponentText;
}

}  // namespace kelvora
