// "Modify" pressed in the main window of a running program on a card: what
// a refused field leaves of today's plan, the window and the relays.
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "Monitor/ui/slot_edit.h"
#include "tests/Monitor/ui/dialog_fixture.h"

namespace kelvora::testing {
namespace {

// A card whose four inputs all read 160: 21 degrees C inside, a mild day.
class HousePorts : public RecordingPorts {
 public:
  uint8_t ReadPortByte(uint16_t) override { return 160; }
};

class SlotModifyTest : public DialogTest {
 protected:
  // The program fields, the slot list and the relays as a person sees them.
  using Seen = std::tuple<std::string, std::string, std::string, std::string, std::vector<std::string>, int>;

  Seen Look(Program& p) const {
    DisplaySnapshot window = p.Snapshot();
    std::vector<std::string> slots;
    for (const SlotListRow& row : window.slotRows) slots.push_back(row.times + " " + row.temperature);
    return {window.texts[control_id::kFromTime],
            window.texts[control_id::kToTime],
            window.texts[control_id::kFromTemp],
            window.texts[control_id::kToTemp],
            slots,
            house.LastByte(kCardPort)};
  }

  // A house at the 21 degrees C its one program wants all day, on the card.
  Program& Running() {
    std::filesystem::create_directories(home.path() + "/DATA/History");
    for (uint8_t kind = kProgramsKind; kind <= kTempsKind; ++kind)
      WriteFileBytes(DataFile(std::string(ScheduleFileName(kind))),
                     kind == kProgramsKind ? "DEFAULT,00:00,21\r\n" : "");
    WriteSettings("[User]\r\nTemp_Units=0\r\n");
    ui.ports = &house;
    Program& p = Make(false, &house);
    EXPECT_EQ(ExitOf([&] { p.StartUp(); }), std::nullopt);
    p.OpenMainWindow();
    WithCard(p);
    RunFor(p, 30);
    return p;
  }

  HousePorts house;
};

TEST_F(SlotModifyTest, ARefusedFieldLeavesTheSlotTheWindowAndTheRelaysAsTheyWere) {
  Program& p = Running();
  const Seen before = Look(p);
  const std::string from = std::get<0>(before), to = std::get<1>(before);
  const std::string temp = std::get<2>(before), toTemp = std::get<3>(before);
  const SlotEdit edits[] = {
      {"DEFAULT", from, to, "99", toTemp},    {"DEFAULT", from, to, "1e9", toTemp},
      {"DEFAULT", from, to, "-40", toTemp},   {"DEFAULT", from, to, ".", toTemp},
      {"DEFAULT", from, to, "4.9", toTemp},   {"DEFAULT", from, to, temp, "30.5"},
      {"DEFAULT", "99:99", to, temp, toTemp}, {"DEFAULT", from, "ab:cd", temp, toTemp},
      {"DEFAULT", "09:00", to, "99", toTemp},
  };
  const size_t writesBefore = house.writes.size();
  for (const SlotEdit& edit : edits) {
    ui.boxes.clear();
    p.ModifySlot(edit);
    ASSERT_EQ(ui.boxes.size(), 1u) << edit.fromTime << " " << edit.fromTemp << " " << edit.toTemp;
    EXPECT_EQ(Look(p), before) << edit.fromTime << " " << edit.fromTemp << " " << edit.toTemp;
  }
  EXPECT_EQ(ui.boxes.back().request.caption, "NOT a VALID NUMBER");
  EXPECT_EQ(ui.boxes.back().request.text, "TEMP Must be a Number between:  5\260C and 30\260C");
  RunFor(p, 120);
  EXPECT_EQ(Look(p), before);
  for (size_t i = writesBefore; i < house.writes.size(); ++i) {
    if (house.writes[i].first != kCardPort) continue;
    EXPECT_EQ(house.writes[i].second & 8, 0) << "stage 2 switched on at write " << i;
  }
}

}  // namespace
}  // namespace kelvora::testing
