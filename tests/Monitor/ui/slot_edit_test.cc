// "Modify" and "Delete" on today's plan, as the main window's "Program"
// group drives them.
#include "Monitor/ui/slot_edit.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "Monitor/schedule/day_plan.h"

namespace kelvora {
namespace {

using Slot = std::tuple<std::string, std::string, float, std::string>;

class SlotEditTest : public ::testing::Test {
 protected:
  SlotEditTest() {
    state.settings.tempUnits = 0;
    state.schedule.daySlots[0].start = "00:00";
    state.schedule.programRows = {{"WEEK", "06:30", "21"}, {"WEEK", "22:00", "17"}, {"REST", "08:00", "20"}};
    state.schedule.currentProgram = "WEEK";
    ExpandProgram(DayPlanOf(state), kNow);
    state.control.changeFlags = 0;
  }

  // The edit with every field as the window shows it.
  SlotEdit Shown() const {
    const ScheduleState& s = state.schedule;
    return {"WEEK", s.daySlots[s.currentSlot].start, s.daySlots[s.currentSlot].end, kShown.fromTemp,
            kShown.toTemp};
  }
  std::optional<MessageBoxRequest> Apply(const SlotEdit& edit) {
    SlotEditResult result = ApplySlotEdit(state, edit, kShown, kNow);
    EXPECT_EQ(result.error, "");
    return result.refusal;
  }
  std::vector<Slot> Slots() const {
    std::vector<Slot> out;
    const ScheduleState& s = state.schedule;
    for (int i = 1; i <= s.slotCount; ++i)
      out.emplace_back(s.daySlots[i].start, s.daySlots[i].end, s.slotTemps[i], s.daySlots[i].manual);
    return out;
  }
  float CurrentTemp() const { return state.schedule.slotTemps[state.schedule.currentSlot]; }

  static constexpr const char* kNow = "12:00:00";
  const ShownTemps kShown{"21.00\260C", "21.00\260C"};
  RunState state;
};

TEST_F(SlotEditTest, FieldsLeftAsShownChangeNothingButTheRefreshFlag) {
  std::vector<Slot> before = Slots();
  EXPECT_FALSE(Apply(Shown()));
  EXPECT_EQ(Slots(), before);
  EXPECT_EQ(state.control.changeFlags & 1, 1);
}

TEST_F(SlotEditTest, ANewToTimeAddsOneManualSlotOverTheProgramSlot) {
  SlotEdit edit = Shown();
  edit.toTime = "18:00";
  EXPECT_FALSE(Apply(edit));
  EXPECT_EQ(Slots(),
            (std::vector<Slot>{
                {"06:30", "18:00", 21, "1"}, {"06:30", "22:00", 21, ""}, {"22:00", "24:00", 17, ""}}));
  EXPECT_EQ(state.schedule.currentSlot, 1);
  edit.fromTime = "11:00";  // with a new FROM time too: still a single slot
  edit.toTime = "13:00";
  EXPECT_FALSE(Apply(edit));
  EXPECT_EQ(state.schedule.slotCount, 4);
  EXPECT_EQ(Slots()[2], Slot("11:00", "13:00", 21, "1"));
}

// Every refusal leaves the table as it was, the slot a FROM time added
// before the refused field included.
TEST_F(SlotEditTest, AFieldTheSchedulesWouldNotTakeIsRefusedInTheirWords) {
  const std::string fromTime = "'FROM Time' Must Use Format: HH:MM (24:00)";
  const std::string toTime = "'TO Time' Must Use Format: HH:MM (24:00)";
  const std::string celsius = "TEMP Must be a Number between:  5\260C and 30\260C";
  struct Case {
    std::string SlotEdit::*field;
    std::string value;
    int units;
    std::string caption, text;
  };
  std::vector<Case> cases = {
      {&SlotEdit::fromTime, "7:00", 0, "BAD FORMAT", fromTime},
      {&SlotEdit::toTime, "9:00", 0, "BAD FORMAT", toTime},
      {&SlotEdit::toTemp, "warm", 0, "NOT A NUMBER", "'TO Temp' Must be a Number like: 19 or 21.75"},
      {&SlotEdit::fromTemp, "x", 1, "NOT A NUMBER", "'FROM Temp' Must be a Number like: 71 or 72.25"},
      {&SlotEdit::toTemp, "40", 1, "NOT a VALID NUMBER",
       "TEMP Must be a Number between: 41\260F and 86\260F"},
      {&SlotEdit::program, std::string(120, 'W'), 0, "NOT a VALID NAME",
       "NAMES and VALUES Must NOT be longer than 100 Characters"},
  };
  for (const char* bad : {"99:99", "ab:cd", "12:60", "25:00", "-1:00", "12.30"}) {
    cases.push_back({&SlotEdit::toTime, bad, 0, "BAD FORMAT", toTime});
    cases.push_back({&SlotEdit::fromTime, bad, 0, "BAD FORMAT", fromTime});
  }
  for (const char* bad : {"99", "1e9", "-40", ".", "4.9", "30.5", "4.994"}) {
    cases.push_back({&SlotEdit::fromTemp, bad, 0, "NOT a VALID NUMBER", celsius});
    cases.push_back({&SlotEdit::toTemp, bad, 0, "NOT a VALID NUMBER", celsius});
  }
  const std::vector<Slot> before = Slots();
  const std::string requested = state.schedule.requestedProgram;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value.substr(0, 8));
    state.settings.tempUnits = static_cast<uint8_t>(c.units);
    SlotEdit edit = Shown();
    if (c.field != &SlotEdit::fromTime) edit.fromTime = "11:00";
    edit.*c.field = c.value;
    std::optional<MessageBoxRequest> box = Apply(edit);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, c.caption);
    EXPECT_EQ(box->text, c.text);
    EXPECT_TRUE(box->ownedByMainWindow);
    if (c.caption == "BAD FORMAT") {
      EXPECT_EQ(box->icon, BoxIcon::kStop);
    }
    EXPECT_EQ(Slots(), before);
    EXPECT_EQ(state.schedule.requestedProgram, requested);
  }
}

TEST_F(SlotEditTest, TheEdgesOfWhatTheSchedulesTakeAreTaken) {
  SlotEdit edit = Shown();
  edit.fromTime = "23:00";
  edit.toTime = "24:30";  // the end of the day, as the editors store it
  EXPECT_FALSE(Apply(edit));
  EXPECT_EQ(Slots().back(), Slot("23:00", "24:00", 21, "1"));
  edit = Shown();
  edit.toTemp = "30";
  EXPECT_FALSE(Apply(edit));
  edit.toTemp = "5";
  EXPECT_FALSE(Apply(edit));
  EXPECT_FLOAT_EQ(CurrentTemp(), 5);
  state.settings.tempUnits = 1;
  edit.toTemp = "86";
  EXPECT_FALSE(Apply(edit));
  EXPECT_FLOAT_EQ(CurrentTemp(), 30);
  edit.toTemp = "";
  edit.fromTemp = " 68";
  EXPECT_FALSE(Apply(edit));
  EXPECT_FLOAT_EQ(CurrentTemp(), 20);
}

TEST_F(SlotEditTest, ANewFromTemperatureWinsOverTheToField) {
  SlotEdit edit = Shown();
  edit.fromTemp = "19.5";
  edit.toTemp = "25";
  EXPECT_FALSE(Apply(edit));
  EXPECT_FLOAT_EQ(CurrentTemp(), 19.5f);
}

TEST_F(SlotEditTest, AnotherProgramIsOnlyRequestedAndAnUnknownOneNotEvenThat) {
  std::vector<Slot> before = Slots();
  SlotEdit edit = Shown();
  edit.program = "NOWHERE";
  SlotEditResult result = ApplySlotEdit(state, edit, kShown, kNow);
  EXPECT_FALSE(result.refusal);
  EXPECT_EQ(result.error, "\"NOWHERE\" is not a program of the schedule");
  EXPECT_EQ(state.schedule.requestedProgram, "WEEK");
  edit.program = "REST";
  edit.toTime = "18:00";
  EXPECT_FALSE(Apply(edit));
  EXPECT_EQ(state.schedule.requestedProgram, "REST");
  EXPECT_EQ(state.schedule.currentProgram, "WEEK");
  EXPECT_EQ(Slots(), before);
}

TEST_F(SlotEditTest, AFullTableRefusesAnotherSlot) {
  SlotEdit edit = Shown();
  for (int i = state.schedule.slotCount; i < kMaxDaySlots; ++i) {
    edit.toTime = "18:" + std::to_string(10 + i);
    ASSERT_FALSE(Apply(edit)) << i;
    edit = Shown();
  }
  std::vector<Slot> before = Slots();
  edit.toTime = "19:59";
  std::optional<MessageBoxRequest> box = Apply(edit);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->caption, "TOO MANY SLOTS");
  EXPECT_EQ(Slots(), before);
}

TEST_F(SlotEditTest, DeleteRemovesTickedSlotsButNeverSlotZero) {
  SlotEdit edit = Shown();
  edit.toTime = "18:00";
  Apply(edit);
  DeleteTickedSlots(state, {0, 1, 3, 30}, kNow);
  EXPECT_EQ(Slots(), (std::vector<Slot>{{"06:30", "22:00", 21, ""}}));
  EXPECT_EQ(state.schedule.daySlots[0].end, "06:30");
  DeleteTickedSlots(state, {}, kNow);
  EXPECT_EQ(state.schedule.slotCount, 1);
}

}  // namespace
}  // namespace kelvora
