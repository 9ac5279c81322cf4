// Numbers as text: the reading of a number at the start of a text, as the
// settings and the data files are read, and the two text forms the program
// writes numbers in. Nothing here depends on the locale or throws.
#ifndef KELVORA_MONITOR_CORE_TEXT_NUMBER_H_
#define KELVORA_MONITOR_CORE_TEXT_NUMBER_H_

#include <string>
#include <string_view>

namespace kelvora {

// The longest number at the start of `text`: blanks and tabs, an optional
// sign, digits with an optional decimal point, an optional exponent (E or D,
// optional sign, digits); or "&h"/"&H" and hexadecimal digits. The rest of the
// text is ignored and a text without a number reads 0 ("50%" -> 50, "1e" -> 1).
// The result is never NaN; it is infinite when the number is beyond a double.
double ReadNumber(std::string_view text);

// The shortest text that ReadNumber turns back into exactly `value`.
std::string ShortestText(float value);

// `value` with at most 7 significant digits, without trailing zeros, a
// trailing "." or a leading blank: "0.5", "-12.25", "1E+07", "1.5E-05".
// NaN is written "0" and an infinity as the largest float, so that whatever
// is written reads back as a finite number.
std::string SevenDigitText(float value);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_CORE_TEXT_NUMBER_H_
