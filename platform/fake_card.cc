#include "platform/fake_card.h"

namespace kelvora {

namespace {

constexpr uint32_t kFunctionBits = 0x00FFFF00u;  // bus, device and function of a config address

uint32_t FunctionKey(uint8_t bus, uint8_t device, uint8_t function) {
  return (uint32_t{bus} << 16) | (uint32_t{device} << 11) | (uint32_t{function} << 8);
}

}  // namespace

void FakeCard::AddPciFunction(const PciFunction& function) {
  functions_[FunctionKey(function.bus, function.device & 31, function.function & 7)] = function;
}

void FakeCard::Place(Layout layout, uint16_t base) {
  layout_ = layout;
  base_ = base;
}

void FakeCard::RecordAccesses(Clock* clock) {
  recording_ = true;
  clock_ = clock;
}

void FakeCard::Log(AccessKind kind, uint16_t port, uint32_t value) {
  ++accessCount_;
  if (!recording_) return;
  int64_t millisecond = -1;
  if (clock_ != nullptr) {
    LocalTime now = clock_->Now();
    millisecond = int64_t{SecondsOfDay(now)} * 1000 + now.millisecond;
  }
  accesses_.push_back({kind, port, value, millisecond});
}

uint32_t FakeCard::ConfigRead() const {
  // Mechanism 1 answers only while the enable bit is set; an absent function
  // reads all ones, as a real bus does.
  if ((configAddress_ & 0x80000000u) == 0) return 0xFFFFFFFFu;
  auto it = functions_.find(configAddress_ & kFunctionBits);
  if (it == functions_.end()) return 0xFFFFFFFFu;
  uint32_t offset = configAddress_ & 0xFCu;
  if (offset == 0) return it->second.identifier;
  if (offset >= 0x10 && offset <= 0x24) return it->second.bars[(offset - 0x10) / 4];
  return 0;
}

uint8_t FakeCard::Channel(int channel) const {
  return source_ ? source_(channel) : channels_[static_cast<size_t>(channel) % channels_.size()];
}

uint8_t FakeCard::ReadPortByte(uint16_t port) {
  uint8_t value = 0xFF;
  if (layout_ == Layout::kPci && port >= base_ && port < base_ + channels_.size()) {
    value = Channel(port - base_);
  } else if (layout_ == Layout::kIsa && port == base_) {
    value = Channel(selected_);
  }
  Log(AccessKind::kReadByte, port, value);
  return value;
}

void FakeCard::WritePortByte(uint16_t port, uint8_t value) {
  Log(AccessKind::kWriteByte, port, value);
  uint16_t latchPort = layout_ == Layout::kPci ? base_ + 16 : base_ + 1;
  if (layout_ != Layout::kAbsent && port == latchPort) {
    latch_ = value;
    latchWrites_.push_back(value);
  } else if (layout_ == Layout::kIsa && port == base_) {
    selected_ = value;
  }
}

uint32_t FakeCard::ReadPortDword(uint16_t port) {
  uint32_t value = port == kConfigData ? ConfigRead() : 0xFFFFFFFFu;
  Log(AccessKind::kReadDword, port, value);
  return value;
}

void FakeCard::WritePortDword(uint16_t port, uint32_t value) {
  Log(AccessKind::kWriteDword, port, value);
  if (port == kConfigAddress) configAddress_ = value;
}

}  // namespace kelvora
