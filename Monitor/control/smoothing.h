// Smoothing rings: slot 0 of a column holds the running sum, slots
// 1..capacity the samples; a cursor keeps the fill count and the next slot.
#ifndef KELVORA_MONITOR_CONTROL_SMOOTHING_H_
#define KELVORA_MONITOR_CONTROL_SMOOTHING_H_

#include "Monitor/control/control_state.h"

namespace kelvora {

// Replaces the oldest sample of column `column` by `sample` (the ring holds
// `capacity` samples, at most its row bound) and returns the mean of the
// samples held. Columns of one ring share the cursor: advance it once, with
// the last column pushed.
float PushSample(Table<float>& ring, RingCursor& cursor, int capacity, float sample, int column = 0,
                 bool advance = true);

// Empties a ring: samples, sums, count 0, next slot back to the start.
void EmptyRing(Table<float>& ring, RingCursor& cursor);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_CONTROL_SMOOTHING_H_
