// Access to the I/O card's ports: 8-bit and 32-bit reads and writes. The
// null backend touches nothing; it serves the simulation and any machine
// where the process has no right to the ports.
#ifndef KELVORA_PLATFORM_PORTS_H_
#define KELVORA_PLATFORM_PORTS_H_

#include <cstdint>

namespace kelvora {

inline constexpr uint16_t kNoPort = 0xFFFF;

// Implementations must keep WritePortByte async-signal-safe: the crash path
// calls it from a signal handler to switch the relays off.
class PortAccess {
 public:
  virtual ~PortAccess() = default;
  // Whether the operations reach real ports. When they do not, no card can
  // be there, whatever the settings say.
  virtual bool Available() const { return true; }
  virtual uint8_t ReadPortByte(uint16_t port) = 0;
  virtual void WritePortByte(uint16_t port, uint8_t value) = 0;
  virtual uint32_t ReadPortDword(uint16_t port) = 0;
  virtual void WritePortDword(uint16_t port, uint32_t value) = 0;
};

// Reads give all ones, as an empty bus does; writes go nowhere.
class NullPorts final : public PortAccess {
 public:
  bool Available() const override { return false; }
  uint8_t ReadPortByte(uint16_t) override { return 0xFF; }
  void WritePortByte(uint16_t, uint8_t) override {}
  uint32_t ReadPortDword(uint16_t) override { return 0xFFFFFFFFu; }
  void WritePortDword(uint16_t, uint32_t) override {}
};

}  // namespace kelvora

#endif  // KELVORA_PLATFORM_PORTS_H_
