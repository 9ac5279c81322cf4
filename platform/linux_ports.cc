#include "platform/linux_ports.h"

#include <cerrno>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define KELVORA_HAVE_PORT_IO 1
#else
#define KELVORA_HAVE_PORT_IO 0
#endif

namespace kelvora {

LinuxPorts::LinuxPorts() {
#if KELVORA_HAVE_PORT_IO
  // Level 3 opens the whole 64 K port space: the PCI configuration ports
  // 0xCF8/0xCFC and a card's I/O base lie above what ioperm can grant.
  if (::iopl(3) == 0) {
    granted_ = true;
    return;
  }
  refusal_ = std::string("port access refused by the system: ") + std::strerror(errno);
#else
  refusal_ = "port access is not available on this processor";
#endif
}

uint8_t LinuxPorts::ReadPortByte(uint16_t port) {
#if KELVORA_HAVE_PORT_IO
  if (granted_) return ::inb(port);
#endif
  (void)port;
  return 0xFF;
}

void LinuxPorts::WritePortByte(uint16_t port, uint8_t value) {
#if KELVORA_HAVE_PORT_IO
  if (granted_) ::outb(value, port);
#endif
  (void)port;
  (void)value;
}

uint32_t LinuxPorts::ReadPortDword(uint16_t port) {
#if KELVORA_HAVE_PORT_IO
  if (granted_) return ::inl(port);
#endif
  (void)port;
  return 0xFFFFFFFFu;
}

void LinuxPorts::WritePortDword(uint16_t port, uint32_t value) {
#if KELVORA_HAVE_PORT_IO
  if (granted_) ::outl(value, port);
#endif
  (void)port;
  (void)value;
}

}  // namespace kelvora
