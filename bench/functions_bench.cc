// Throughput of the masked number text and of the MBF record codec, the two
// utility routines that run for every displayed number and every stored field.
#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "Functions/masks.h"
#include "Functions/record.h"
#include "benchmark/benchmark.h"

namespace kelvora {
namespace {

constexpr size_t kValueCount = 4096;

std::vector<float> RandomValues(float low, float high) {
  std::mt19937 random(42);
  std::uniform_real_distribution<float> distribution(low, high);
  std::vector<float> values(kValueCount);
  for (float& value : values) value = distribution(random);
  return values;
}

// One mask over values typical of its use; the argument picks the mask.
void BM_Using(benchmark::State& state) {
  static const char* const kMasks[] = {"###.##", "+##.##\260C", "-###.###", "  ### :", "(##.##%)"};
  const std::string mask = kMasks[state.range(0)];
  const std::vector<float> values = RandomValues(-60.0f, 1500.0f);
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(Using(mask, values[i]));
    i = (i + 1) % kValueCount;
  }
  state.SetLabel(mask);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Using)->DenseRange(0, 4);

void BM_MksArray(benchmark::State& state) {
  const std::vector<float> values = RandomValues(-1.0e6f, 1.0e6f);
  std::vector<std::array<uint8_t, 4>> encoded(kValueCount);
  for (auto _ : state) {
    for (size_t i = 0; i < kValueCount; ++i) encoded[i] = Mks(values[i]);
    benchmark::DoNotOptimize(encoded.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kValueCount));
}
BENCHMARK(BM_MksArray);

void BM_CvsArray(benchmark::State& state) {
  const std::vector<float> values = RandomValues(-1.0e6f, 1.0e6f);
  std::vector<std::array<uint8_t, 4>> encoded(kValueCount);
  for (size_t i = 0; i < kValueCount; ++i) encoded[i] = Mks(values[i]);
  std::vector<float> decoded(kValueCount);
  for (auto _ : state) {
    for (size_t i = 0; i < kValueCount; ++i) decoded[i] = Cvs(encoded[i]);
    benchmark::DoNotOptimize(decoded.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kValueCount));
}
BENCHMARK(BM_CvsArray);

void BM_MbfRoundTripArray(benchmark::State& state) {
  const std::vector<float> values = RandomValues(-1.0e6f, 1.0e6f);
  std::vector<float> decoded(kValueCount);
  for (auto _ : state) {
    for (size_t i = 0; i < kValueCount; ++i) decoded[i] = Cvs(Mks(values[i]));
    benchmark::DoNotOptimize(decoded.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kValueCount));
}
BENCHMARK(BM_MbfRoundTripArray);

// A whole day record written and read back field by field, as at midnight.
void BM_DayRecordFields(benchmark::State& state) {
  struct DayRecord {
    RecordLayout layout;
    TextField date = layout.Text(kDateFieldLength);
    std::array<SingleField, 11> numbers = {layout.Single(), layout.Single(), layout.Single(), layout.Single(),
                                           layout.Single(), layout.Single(), layout.Single(), layout.Single(),
                                           layout.Single(), layout.Single(), layout.Single()};
  };
  const DayRecord day;
  const std::vector<float> values = RandomValues(-30.0f, 30.0f);
  for (auto _ : state) {
    Record record(day.layout);
    record.Set(day.date, "19/06/15");
    for (size_t i = 0; i < day.numbers.size(); ++i) record.Set(day.numbers[i], values[i]);
    float sum = 0;
    for (const SingleField field : day.numbers) sum += record.Get(field);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DayRecordFields);

}  // namespace
}  // namespace kelvora

BENCHMARK_MAIN();
