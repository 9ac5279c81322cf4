// Masked number text: a number laid into a mask such as "###.##", "+##.##°C" or
// "(##.##%)", the way every number of the dialogs and lists is shown.
#ifndef KELVORA_FUNCTIONS_MASKS_H_
#define KELVORA_FUNCTIONS_MASKS_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "Functions/export.h"

namespace kelvora {

// Longest mask honoured; the characters beyond it are ignored.
inline constexpr size_t kMaxMaskLength = 127;

// `value` laid into `mask`. The digit field is the run of "#" and "." that starts
// at the first "#" (or at a "." just before it); a "+" and then a "-" next to
// the field on either side are sign positions; everything else is literal text
// copied as it stands. Rounds half a unit of the last decimal upwards in
// magnitude; a number wider than the field widens the result instead of being
// cut. A field with a decimal point always shows exactly its decimals. A mask
// without "#" is returned as it stands.
KELVORA_EXPORT std::string Using(std::string_view mask, float value);

}  // namespace kelvora

#endif  // KELVORA_FUNCTIONS_MASKS_H_
