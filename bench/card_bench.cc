// The start-up PCI scan through the fake card: the whole bus when no card is
// there, and a scan that finds the card on the last bus.
#include <benchmark/benchmark.h>

#include "Monitor/card/card.h"
#include "platform/fake_card.h"

namespace kelvora {
namespace {

void BM_PciScanEmptyBus(benchmark::State& state) {
  FakeCard bus;
  for (auto _ : state) {
    uint32_t memoryBase = 0;
    uint16_t ioBase = 0;
    benchmark::DoNotOptimize(PciFindCard(bus, kCardIdentifier, memoryBase, ioBase));
  }
  state.SetItemsProcessed(state.iterations() * 65536);
}
BENCHMARK(BM_PciScanEmptyBus)->Unit(benchmark::kMillisecond);

void BM_PciScanCardOnLastBus(benchmark::State& state) {
  FakeCard bus;
  for (uint8_t device = 0; device < 8; ++device) {
    bus.AddPciFunction({0, device, 0, 0x12378086u + device, {0xE001u + device * 0x100u, 0xF0000000u}});
  }
  bus.AddPciFunction({255, 31, 7, kCardIdentifier, {0xFEB00000u, 0xD001u}});
  for (auto _ : state) {
    uint32_t memoryBase = 0;
    uint16_t ioBase = 0;
    benchmark::DoNotOptimize(PciFindCard(bus, kCardIdentifier, memoryBase, ioBase));
  }
  state.SetItemsProcessed(state.iterations() * 65536);
}
BENCHMARK(BM_PciScanCardOnLastBus)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelvora

BENCHMARK_MAIN();
