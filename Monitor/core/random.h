// The program's source of uniform random numbers: seeded from the clock at
// each `initialise`, and from a caller's seed as well when one is given, so
// that a run on a virtual clock repeats exactly.
#ifndef KELVORA_MONITOR_CORE_RANDOM_H_
#define KELVORA_MONITOR_CORE_RANDOM_H_

#include <cstdint>
#include <random>

namespace kelvora {

class UniformRandom {
 public:
  void Seed(uint32_t seed) { engine_.seed(seed); }
  void Seed(uint32_t seed, uint32_t extra) {
    std::seed_seq sequence{seed, extra};
    engine_.seed(sequence);
  }
  // A number in [0, 1), from the top 24 bits so that every value is exact
  // in a float and 1 is never reached.
  float Next() { return static_cast<float>(engine_() >> 8) * (1.0f / 16777216.0f); }

 private:
  std::mt19937 engine_;
};

}  // namespace kelvora

#endif  // KELVORA_MONITOR_CORE_RANDOM_H_
