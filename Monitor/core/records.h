// The two fixed-length records of the binary files: the 52-byte day record of
// "TEMP.DAT" and the 120-byte pre-heat record of "PREHEAT.DAT". Fields lie end
// to end in declaration order; numbers are 4-byte MBF singles, the two-byte
// fields 16-bit little-endian integers, dates "yy/mm/dd" texts.
#ifndef KELVORA_MONITOR_CORE_RECORDS_H_
#define KELVORA_MONITOR_CORE_RECORDS_H_

#include <array>

#include "Functions/record.h"

namespace kelvora {

// date (8), then eleven numbers: 8 + 11 x 4 = 52 bytes.
struct DayRecordLayout {
  RecordLayout layout;
  TextField date = layout.Text(kDateFieldLength);
  std::array<SingleField, 11> numbers = Singles<11>(layout);

  template <size_t N>
  static std::array<SingleField, N> Singles(RecordLayout& into) {
    std::array<SingleField, N> fields{};
    for (SingleField& field : fields) field = into.Single();
    return fields;
  }
};

// date (8), twenty numbers, two 16-bit integers, two numbers, two 16-bit
// integers, four numbers: 8 + 80 + 4 + 8 + 4 + 16 = 120 bytes.
struct PreheatRecordLayout {
  RecordLayout layout;
  TextField date = layout.Text(kDateFieldLength);
  std::array<SingleField, 20> numbers = DayRecordLayout::Singles<20>(layout);
  std::array<Int16Field, 2> firstIntegers = {layout.Int16(), layout.Int16()};
  std::array<SingleField, 2> middleNumbers = DayRecordLayout::Singles<2>(layout);
  std::array<Int16Field, 2> secondIntegers = {layout.Int16(), layout.Int16()};
  std::array<SingleField, 4> lastNumbers = DayRecordLayout::Singles<4>(layout);
};

inline constexpr size_t kDayRecordLength = 52;
inline constexpr size_t kPreheatRecordLength = 120;

}  // namespace kelvora

#endif  // KELVORA_MONITOR_CORE_RECORDS_H_
