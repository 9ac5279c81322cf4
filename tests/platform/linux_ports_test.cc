// The Linux port backend without the kernel's grant: it must say why and
// touch nothing. (With the grant a test would drive real ports, so it skips.)
#include "platform/linux_ports.h"

#include <gtest/gtest.h>

namespace kelvora {
namespace {

TEST(LinuxPortsTest, WithoutTheGrantNothingIsTouchedAndTheReasonIsGiven) {
  LinuxPorts ports;
  if (ports.Granted()) GTEST_SKIP() << "this process may drive real ports";
  EXPECT_FALSE(ports.Available());
  EXPECT_FALSE(ports.Refusal().empty());
  ports.WritePortByte(0x301, 0x1F);
  ports.WritePortDword(0xCF8, 0x80000000u);
  EXPECT_EQ(ports.ReadPortByte(0x300), 0xFF);
  EXPECT_EQ(ports.ReadPortDword(0xCFC), 0xFFFFFFFFu);
}

}  // namespace
}  // namespace kelvora
