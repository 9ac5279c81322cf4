// The card's ports on a Linux x86 machine: direct port I/O once the kernel
// has granted it (iopl). Without that grant, or on another architecture, the
// backend touches no port at all and says why, so a machine without the
// privilege runs the simulation instead of crashing on the first access.
#ifndef KELVORA_PLATFORM_LINUX_PORTS_H_
#define KELVORA_PLATFORM_LINUX_PORTS_H_

#include <string>

#include "platform/ports.h"

namespace kelvora {

class LinuxPorts final : public PortAccess {
 public:
  // Asks the kernel for access to every port; never throws.
  LinuxPorts();

  // Whether the ports are really driven.
  bool Granted() const { return granted_; }
  bool Available() const override { return granted_; }
  // Why access was refused (empty when granted).
  const std::string& Refusal() const { return refusal_; }

  uint8_t ReadPortByte(uint16_t port) override;
  void WritePortByte(uint16_t port, uint8_t value) override;
  uint32_t ReadPortDword(uint16_t port) override;
  void WritePortDword(uint16_t port, uint32_t value) override;

 private:
  bool granted_ = false;
  std::string refusal_;
};

}  // namespace kelvora

#endif  // KELVORA_PLATFORM_LINUX_PORTS_H_
