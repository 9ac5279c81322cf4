// An I/O card and a PCI bus in memory, for tests and benchmarks: PCI
// configuration mechanism 1 on ports 0xCF8/0xCFC with a chosen set of
// present functions, and the card's input channels and output latch in the
// PCI layout (channel c at base + c, latch at base + 16) or the ISA layout
// (channel selected by a write to the base, read back from it, latch at
// base + 1). Every access can be logged with the clock's time.
#ifndef KELVORA_PLATFORM_FAKE_CARD_H_
#define KELVORA_PLATFORM_FAKE_CARD_H_

#include <array>
#include <cstdint>
#include <functional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "platform/ports.h"

namespace kelvora {

class FakeCard final : public PortAccess {
 public:
  static constexpr uint16_t kConfigAddress = 0xCF8;
  static constexpr uint16_t kConfigData = 0xCFC;

  struct PciFunction {
    uint8_t bus = 0, device = 0, function = 0;
    uint32_t identifier = 0;  // device << 16 | vendor
    std::array<uint32_t, 6> bars{};
  };
  enum class Layout { kAbsent, kPci, kIsa };
  enum class AccessKind { kReadByte, kWriteByte, kReadDword, kWriteDword };
  struct Access {
    AccessKind kind;
    uint16_t port;
    uint32_t value;
    int64_t millisecond;  // of the day on the watched clock; -1 without one
  };

  void AddPciFunction(const PciFunction& function);
  // Where the card's channels and latch answer.
  void Place(Layout layout, uint16_t base);
  void SetChannel(int channel, uint8_t value) { channels_.at(static_cast<size_t>(channel)) = value; }
  // A sensor whose every reading comes from `source` (called with the channel).
  void SetChannelSource(std::function<uint8_t(int)> source) { source_ = std::move(source); }
  uint8_t Latch() const { return latch_; }
  // Every byte written to the latch, in order.
  const std::vector<uint8_t>& LatchWrites() const { return latchWrites_; }

  // Logs every access from now on, stamped with `clock` when given.
  void RecordAccesses(Clock* clock = nullptr);
  const std::vector<Access>& Accesses() const { return accesses_; }
  int64_t AccessCount() const { return accessCount_; }

  uint8_t ReadPortByte(uint16_t port) override;
  void WritePortByte(uint16_t port, uint8_t value) override;
  uint32_t ReadPortDword(uint16_t port) override;
  void WritePortDword(uint16_t port, uint32_t value) override;

 private:
  void Log(AccessKind kind, uint16_t port, uint32_t value);
  uint32_t ConfigRead() const;
  uint8_t Channel(int channel) const;

  std::unordered_map<uint32_t, PciFunction> functions_;  // by bus/device/function address bits
  uint32_t configAddress_ = 0;
  Layout layout_ = Layout::kAbsent;
  uint16_t base_ = 0;
  std::array<uint8_t, 8> channels_{};
  std::function<uint8_t(int)> source_;
  uint8_t selected_ = 0;
  uint8_t latch_ = 0;
  std::vector<uint8_t> latchWrites_;
  bool recording_ = false;
  Clock* clock_ = nullptr;
  std::vector<Access> accesses_;
  int64_t accessCount_ = 0;
};

}  // namespace kelvora

#endif  // KELVORA_PLATFORM_FAKE_CARD_H_
