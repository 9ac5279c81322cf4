#include "Monitor/control/smoothing.h"

#include <algorithm>

namespace kelvora {

float PushSample(Table<float>& ring, RingCursor& cursor, int capacity, float sample, int column,
                 bool advance) {
  // A ring never holds more samples than it has slots, nor fewer than one.
  capacity = std::clamp(capacity, 1, std::max(ring.Rows(), 1));
  if (cursor.index < 1 || cursor.index > capacity) cursor.index = 1;
  float& sum = ring(0, column);
  float& slot = ring(cursor.index, column);
  sum = sum - slot + sample;
  slot = sample;
  // Every column of the ring counts this sample, whichever advances the cursor.
  int count = std::min(cursor.count + 1, capacity);
  if (advance) {
    cursor.count = count;
    cursor.index = cursor.index % capacity + 1;
  }
  return sum / static_cast<float>(count);
}

void EmptyRing(Table<float>& ring, RingCursor& cursor) {
  for (int row = 0; row <= ring.Rows(); ++row) {
    for (int column = 0; column <= ring.Columns(); ++column) ring(row, column) = 0;
  }
  cursor = RingCursor{};
}

}  // namespace kelvora
