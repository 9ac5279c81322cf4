// Finding the card on the PCI bus or at the ISA port, and driving it.
#include "Monitor/card/card.h"

#include <gtest/gtest.h>

#include <tuple>

#include "platform/fake_card.h"
#include "tests/support/program_fixture.h"

namespace kelvora {
namespace {

using Access = FakeCard::Access;
using Kind = FakeCard::AccessKind;

constexpr uint32_t kHostBridge = 0x12378086;

uint32_t ConfigAddress(uint32_t bus, uint32_t device, uint32_t function) {
  return 0x80000000u | (bus << 16) | (device << 11) | (function << 8);
}

FakeCard::PciFunction Function(uint8_t bus, uint8_t device, uint8_t function, uint32_t identifier,
                               std::array<uint32_t, 6> bars) {
  return FakeCard::PciFunction{bus, device, function, identifier, bars};
}

// The identifier found, the memory base and the I/O base.
std::tuple<uint32_t, uint32_t, uint16_t> Scan(FakeCard& bus) {
  uint32_t memoryBase = 0xDEAD;
  uint16_t ioBase = 0xBEEF;
  const uint32_t identifier = PciFindCard(bus, kCardIdentifier, memoryBase, ioBase);
  return {identifier, memoryBase, ioBase};
}

// The card's bases from its registers: the first memory one, and the first
// I/O one less its flag bit in sixteen bits; nothing when the first register
// is 0, and no port inherited from an earlier device.
TEST(PciFindCardTest, FindsTheCardWithItsMemoryAndIoBases) {
  struct Case {
    std::vector<FakeCard::PciFunction> functions;
    uint32_t memoryBase;
    uint16_t ioBase;
  };
  const std::vector<Case> cases = {
      {{Function(0, 0, 0, kHostBridge, {0xE001, 0xF0000000}),
        Function(2, 5, 1, kCardIdentifier, {0xFEB00000, 0xD001})},
       0xFEB00000u,
       0xD000},
      {{Function(0, 1, 0, kCardIdentifier, {0, 0xD001, 0xF0000000})}, 0, 0},
      {{Function(0, 1, 0, kCardIdentifier, {0x1234D001})}, 0, 0xD000},
      {{Function(0, 0, 0, kHostBridge, {0xE001}), Function(0, 4, 0, kCardIdentifier, {0xF0000000})},
       0xF0000000u,
       0}};
  for (const Case& c : cases) {
    FakeCard bus;
    for (const FakeCard::PciFunction& function : c.functions) bus.AddPciFunction(function);
    EXPECT_EQ(Scan(bus), std::tuple(kCardIdentifier, c.memoryBase, c.ioBase));
  }
}

// Nothing past bus 2, device 5, function 1 is probed.
TEST(PciFindCardTest, StopsAtTheWantedFunctionAfterRestoringTheAddress) {
  FakeCard bus;
  bus.AddPciFunction(Function(2, 5, 1, kCardIdentifier, {0xD001}));
  bus.AddPciFunction(Function(9, 0, 0, kHostBridge, {0xC001}));
  bus.RecordAccesses();
  Scan(bus);
  const Access& last = bus.Accesses().back();
  EXPECT_EQ(std::tie(last.kind, last.port, last.value),
            std::tuple(Kind::kWriteDword, 0xCF8, ConfigAddress(2, 5, 1)));
  for (const Access& access : bus.Accesses()) {
    if (access.kind != Kind::kWriteDword) continue;
    EXPECT_LE(access.value & 0x00FFFF00u, ConfigAddress(2, 5, 1) & 0x00FFFF00u);
  }
}

TEST(PciFindCardTest, AnEmptyBusIsProbedWholeAndGivesAllOnes) {
  FakeCard bus;
  EXPECT_EQ(std::get<0>(Scan(bus)), 0xFFFFFFFFu);
  EXPECT_EQ(bus.AccessCount(), 2 * 65536);
}

TEST(ReadCardChannelTest, AnIsaReadSelectsWaitsTenMillisecondsAndReads) {
  VirtualClock clock(testing::TimeAt("2019-06-15 14:05:08"));
  FakeCard card;
  card.Place(FakeCard::Layout::kIsa, 0x300);
  card.SetChannel(4, 77);
  card.RecordAccesses(&clock);
  EXPECT_EQ(
      ReadCardChannel(card, clock, CardState{.cardKind = "ISA", .inputPort = 0x300, .outputPort = 0x301}, 4),
      77);
  const std::vector<Access>& log = card.Accesses();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(std::tie(log[0].kind, log[0].port, log[0].value), std::tuple(Kind::kWriteByte, 0x300, 4u));
  EXPECT_EQ(std::tie(log[1].kind, log[1].port), std::tuple(Kind::kReadByte, 0x300));
  EXPECT_EQ(log[1].millisecond - log[0].millisecond, 10);
}

TEST(ReadCardChannelTest, NothingIsTouchedWhileSimulating) {
  VirtualClock clock(testing::TimeAt("2019-06-15 14:05:08"));
  FakeCard card;
  card.RecordAccesses();
  const CardState state{.cardKind = "PCI", .simulationMode = 1, .inputPort = kNoPort, .outputPort = kNoPort};
  EXPECT_EQ(ReadCardChannel(card, clock, state, 0), 0xFF);
  WriteCardOutputs(card, state, 0x1F);
  EXPECT_TRUE(card.Accesses().empty());
}

// Start-up with a card on the bus or at the configured ISA port.
class CardStartUpTest : public testing::ProgramFixture {
 protected:
  void PlacePciCard() {
    card.AddPciFunction(Function(1, 2, 0, kCardIdentifier, {0xD001}));
    card.Place(FakeCard::Layout::kPci, 0xD000);
  }
  Program& StartOnCard() {
    Program& p = Make(false, &card);
    EXPECT_EQ(ExitOf([&] { p.StartUp(); }), std::nullopt);
    return p;
  }
  void ExpectPorts(Program& p, uint16_t input, uint16_t output) {
    EXPECT_EQ(p.State().card.inputPort, input);
    EXPECT_EQ(p.State().card.outputPort, output);
  }

  FakeCard card;
};

// A PCI card gives its ports and no message; the midnight reload that finds
// the simulation asked for switches the relays off before leaving the card,
// and a later one gives the card back.
TEST_F(CardStartUpTest, SimModeSwitchesBothWaysAndTheRelaysGoOffBeforeTheCardIsLeft) {
  PlacePciCard();
  Program& p = StartOnCard();
  EXPECT_EQ(p.State().card.cardKind, "PCI");
  ExpectPorts(p, 0xD000, 0xD010);
  EXPECT_TRUE(ui.boxes.empty());
  ASSERT_FALSE(card.LatchWrites().empty());
  EXPECT_EQ(card.Latch(), 0);
  p.State().card.outputByte = 0x0E;
  p.WriteOutputs(0x0E);
  WriteSettings("[System]\r\nSim_Mode=1\r\n");
  p.Initialise();
  EXPECT_EQ(card.Latch(), 0);
  EXPECT_EQ(p.State().card.outputPort, kNoPort);
  const size_t writesInSimulation = card.LatchWrites().size();
  WriteSettings("[System]\r\nSim_Mode=0\r\n");
  p.Initialise();
  EXPECT_EQ(p.State().card.simulationMode, 0);
  ExpectPorts(p, 0xD000, 0xD010);
  p.WriteOutputs(0x04);
  EXPECT_GT(card.LatchWrites().size(), writesInSimulation);
  EXPECT_EQ(card.Latch(), 0x04);
}

TEST_F(CardStartUpTest, AnIsaPortInHexadecimalGivesTheCardAndItsLatchAbove) {
  WriteSettings("[Config]\r\nISA_Port=&h300\r\n");
  card.Place(FakeCard::Layout::kIsa, 0x300);
  Program& p = StartOnCard();
  EXPECT_EQ(p.State().card.cardKind, "ISA");
  ExpectPorts(p, 0x300, 0x301);
  EXPECT_FALSE(card.LatchWrites().empty());
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(CardStartUpTest, AnIsaPortIsNotACardWhenThePortsCannotBeReached) {
  WriteSettings("[Config]\r\nISA_Port=&h300\r\n");
  NullPorts unreachable;
  Program& p = Make(false, &unreachable);
  p.StartUp();
  EXPECT_EQ(p.State().card.cardKind, "");
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].request.caption, "MODE");
}

TEST_F(CardStartUpTest, SimModeOneWithACardNeverTouchesItsPorts) {
  WriteSettings("[System]\r\nSim_Mode=1\r\n");
  PlacePciCard();
  card.RecordAccesses();
  Program& p = StartOnCard();
  EXPECT_EQ(p.State().card.cardKind, "PCI");
  ExpectPorts(p, kNoPort, kNoPort);
  for (const Access& access : card.Accesses()) {
    EXPECT_TRUE(access.kind == Kind::kWriteDword || access.kind == Kind::kReadDword) << access.port;
  }
  EXPECT_TRUE(card.LatchWrites().empty());
}

// The settings load reads once; then 140, 141, 142 and 142 again.
TEST_F(CardStartUpTest, TheInteriorIsReadUntilItRepeats) {
  PlacePciCard();
  const std::vector<uint8_t> values{100, 140, 141, 142, 142, 143};
  size_t readings = 0;
  card.SetChannelSource([&](int channel) -> uint8_t {
    return channel != 0 ? 50 : values[std::min(readings++, values.size() - 1)];
  });
  StartOnCard();
  EXPECT_EQ(readings, 1u + 4u);
}

// One at the settings load, then fifty settling.
TEST_F(CardStartUpTest, ASensorThatNeverRepeatsIsReadFiftyTimes) {
  PlacePciCard();
  int readings = 0, interiorReadings = 0;
  card.SetChannelSource([&](int channel) {
    interiorReadings += channel == 0;
    return static_cast<uint8_t>(++readings);
  });
  StartOnCard();
  EXPECT_EQ(interiorReadings, 1 + 50);
}

}  // namespace
}  // namespace kelvora
