#include "Monitor/schedule/day_plan.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "Monitor/core/run_state.h"

namespace kelvora {
namespace {

constexpr uint8_t kSaturday = 7;

// One slot as the tests compare it: start, end, temperature.
using Slot = std::tuple<std::string, std::string, float>;

class DayPlanTest : public ::testing::Test {
 protected:
  DayPlanTest() {
    state.texts.dayNameTable[0] = {"",          "Sunday",   "Monday", "Tuesday",
                                   "Wednesday", "Thursday", "Friday", "Saturday"};
    state.texts.dayNameTable[1] = {"",         "DIMANCHE", "LUNDI",    "MARDI",
                                   "MERCREDI", "JEUDI",    "VENDREDI", "SAMEDI"};
    state.texts.defaultProgramName = {"DEFAULT", "DEFAUT"};
    state.texts.holidayProgramName = {"HOLIDAY", "CONGE"};
    state.clock.todayDate = "19/06/15";
    state.schedule.daySlots[0].start = "00:00";
  }

  std::string Select(const std::string& now = "12:00") {
    return SelectDayProgram(DayPlanOf(state), kSaturday, now);
  }
  std::string Expand(const std::string& program, const std::string& now = "12:00") {
    state.schedule.currentProgram = program;
    return ExpandProgram(DayPlanOf(state), now);
  }
  // Slots 0 to n + 1.
  std::vector<Slot> Slots() const {
    std::vector<Slot> out;
    const ScheduleState& s = state.schedule;
    for (int i = 0; i <= s.slotCount + 1; ++i)
      out.emplace_back(s.daySlots[i].start, s.daySlots[i].end, s.slotTemps[i]);
    return out;
  }
  void AddSlot(const std::string& start, const std::string& end, float temp, bool manual) {
    ScheduleState& s = state.schedule;
    ++s.slotCount;
    s.daySlots[s.slotCount] = DaySlot{start, end, manual ? "1" : ""};
    s.slotTemps[s.slotCount] = temp;
  }

  RunState state;
};

// The day's program, in file order among another program's rows.
const std::vector<ProgramRow> kWeek = {
    {"WEEK", "22:00", "17"}, {"REST", "08:00", "20"}, {"WEEK", "06:30", "21"}, {"REST", "23:00", "16"}};

TEST_F(DayPlanTest, TheDayIsTheHolidaysThenTheWeekdaysThenTheDefaultProgram) {
  const struct {
    std::vector<DayRow> days;
    std::vector<HolidayRow> holidays;
    std::string today;
    uint8_t weekday;
    int french;
    std::string selected;
  } cases[] = {
      {{{"Monday", "WEEK"}}, {}, "19/06/15", kSaturday, 0, "DEFAULT"},
      {{{"Friday", "WEEK"}, {"Saturday", "REST"}, {"Saturday", "OTHER"}},
       {},
       "19/06/15",
       kSaturday,
       0,
       "REST"},
      {{{"Saturday", "WEEK"}}, {}, "19/06/15", kSaturday, 1, "DEFAUT"},  // a row in the other language
      {{{"", "BLANK"}}, {}, "19/06/15", 0, 0, "DEFAULT"},                // weekdays outside the week
      {{{"", "BLANK"}}, {}, "19/06/15", 8, 0, "DEFAULT"},
      {{{"", "BLANK"}}, {}, "19/06/15", 255, 0, "DEFAULT"},
      {{{"Saturday", "WEEK"}},
       {{"18/01/01", "NEWYEAR"}, {"**/**/**", ""}},
       "19/06/15",
       kSaturday,
       0,
       "HOLIDAY"},
      {{{"Saturday", "WEEK"}}, {{"**/12/25", "XMAS"}}, "19/12/25", kSaturday, 0, "XMAS"},
      {{{"Saturday", "WEEK"}}, {{"**/12/25", "XMAS"}}, "19/06/15", kSaturday, 0, "WEEK"},
      {{{"Saturday", "WEEK"}}, {{"**/**/01", "FIRST"}}, "20/02/01", kSaturday, 0, "FIRST"},
      {{{"Saturday", "WEEK"}}, {{"19/06/15", "ONCE"}}, "19/06/15", kSaturday, 0, "ONCE"},
      {{{"Saturday", "WEEK"}}, {{"**/06", "SHORT"}}, "19/06/15", kSaturday, 0, "WEEK"},
      {{{"Saturday", "WEEK"}}, {{"**/**/**", "ANY"}}, "", kSaturday, 0, "WEEK"},
  };
  state.schedule.programRows = kWeek;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.selected + " " + std::to_string(c.weekday) + " " + c.today);
    state.schedule.dayRows = c.days;
    state.schedule.holidayRows = c.holidays;
    state.clock.todayDate = c.today;
    state.settings.languageFrench = c.french;
    state.schedule.currentProgram.clear();
    SelectDayProgram(DayPlanOf(state), c.weekday, "12:00");
    EXPECT_EQ(state.schedule.currentProgram, c.selected);
    EXPECT_EQ(state.schedule.requestedProgram, c.selected);
  }
  EXPECT_EQ(state.schedule.slotCount, 2);  // WEEK's steps
}

TEST_F(DayPlanTest, ExpansionSortsTheProgramsStepsIntoSlots) {
  state.schedule.programRows = kWeek;
  EXPECT_EQ(Expand("WEEK"), "");
  EXPECT_EQ(
      Slots(),
      (std::vector<Slot>{
          {"00:00", "06:30", 17}, {"06:30", "22:00", 21}, {"22:00", "24:00", 17}, {"24:00", "99:99", 17}}));
  EXPECT_EQ(state.schedule.programTemp, 17);  // the slot before the one in force
  EXPECT_EQ(state.schedule.currentSlot, 1);
  EXPECT_EQ(state.control.changeFlags & 1, 1);
  Expand("REST");
  EXPECT_EQ(state.schedule.slotTemps[0], 16);
  Expand("WEEK");  // from the first expansion on, the evening runs into the morning
  EXPECT_EQ(state.schedule.slotTemps[0], 17);
}

// Slots 1 to n as expanded from the rows, the slots' previous values where
// a name is found nowhere.
TEST_F(DayPlanTest, StepsNameTimesTemperaturesLabelsAndOtherPrograms) {
  const struct {
    std::vector<ProgramRow> rows;
    std::vector<Slot> slots;
  } cases[] = {
      {{{"WEEK", "00:00", "19"}, {"WEEK", "07:00", "21"}},  // a first step at midnight gives slot 0
       {{"00:00", "00:00", 19}, {"00:00", "07:00", 19}, {"07:00", "24:00", 21}, {"24:00", "99:99", 21}}},
      {{{"WEEK", "06:30", "21"},
        {"LATE", "23:00", "16"},
        {"WEEK", "LATE", "99"},
        {"WEEK", "20:00", "19"}},  // never reached: the walk went on with LATE
       {{"00:00", "06:30", 16}, {"06:30", "23:00", 21}, {"23:00", "24:00", 16}, {"24:00", "99:99", 16}}},
      {{{"WEEK", "WAKE", "COMFORT"}},
       {{"00:00", "06:15", 21.5f}, {"06:15", "24:00", 21.5f}, {"24:00", "99:99", 21.5f}}},
      // An empty time names nothing, not even the nameless program of a blank row.
      {{{"WEEK", "NOWHERE", "NOTHING"}, {"", "08:00", "20"}, {"WEEK", "", ""}},
       {{"00:00", "05:00", 19}, {"05:00", "09:00", 18}, {"09:00", "24:00", 19}, {"24:00", "99:99", 19}}},
      {{}, {{"00:00", "24:00", 19}, {"24:00", "99:99", 19}}},
  };
  state.schedule.hourLabels = {{"WAKE", "06:15"}, {"WAKE", "09:00"}};
  state.schedule.tempLabels = {{"COMFORT", "21.5"}};
  for (const auto& c : cases) {
    state.schedule.daySlots[1].start = "05:00";
    state.schedule.slotTemps[1] = 18;
    state.schedule.daySlots[2].start = "09:00";
    state.schedule.slotTemps[0] = state.schedule.slotTemps[2] = 19;
    state.schedule.programRows = c.rows;
    state.schedule.daySlots[1].manual = state.schedule.daySlots[2].manual = "1";
    EXPECT_EQ(Expand("WEEK"), "");
    EXPECT_EQ(Slots(), c.slots);
    EXPECT_EQ(state.schedule.currentProgram, "WEEK");
    for (int i = 1; i <= state.schedule.slotCount; ++i)
      EXPECT_EQ(state.schedule.daySlots[i].manual, "") << "a rebuilt day has no manual slots";
  }
}

TEST_F(DayPlanTest, AHandOverLoopEndsWithTheSlotsGatheredAndSaysSo) {
  state.schedule.dayRows = {{"Saturday", "A"}};
  state.schedule.programRows = {{"A", "06:00", "20"}, {"B", "08:00", "21"}, {"A", "B", ""}, {"B", "A", ""}};
  std::string report = Select();
  EXPECT_EQ(report, "Program hand-over loop A -> B -> A: the day keeps the 2 slots found before it\n");
  EXPECT_EQ(state.schedule.slotCount, 2);
  EXPECT_EQ(state.schedule.daySlots[2].start, "08:00");
  EXPECT_EQ(state.schedule.currentProgram, "A");
}

TEST_F(DayPlanTest, AProgramWithoutRowsLeavesOnlySlotZeroAndTheClosingEntry) {
  state.schedule.slotTemps[0] = 18;
  Expand("EMPTY");
  EXPECT_EQ(state.schedule.currentSlot, 0);
  EXPECT_EQ(state.schedule.nextSlot, 0);
  // Nothing differs from the slot in force: it is still taken over, as a rise.
  EXPECT_LT(state.schedule.programTemp, 18);
  EXPECT_GT(state.schedule.programTemp, 17.99f);
}

TEST_F(DayPlanTest, ExpansionStopsAtTwentyNineSlots) {
  for (int i = 0; i < 40; ++i) {
    std::string time = (i < 10 ? "0" : "") + std::to_string(i) + ":00";
    state.schedule.programRows.push_back({"LONG", time, std::to_string(10 + i)});
  }
  Expand("LONG");
  ASSERT_EQ(state.schedule.slotCount, kMaxDaySlots);
  EXPECT_EQ(state.schedule.daySlots[29].start, "28:00");
  EXPECT_EQ(state.schedule.daySlots[30].start, "24:00");
  EXPECT_EQ(state.schedule.programTemp, 21);  // at 12:00, the slot of 11:00
}

TEST_F(DayPlanTest, SortingPutsAManualSlotBeforeAnEqualProgramSlot) {
  AddSlot("09:00", "10:00", 20, false);
  AddSlot("08:00", "10:00", 19, false);
  AddSlot("08:00", "10:00", 23, true);
  SortSlots(DayPlanOf(state), "07:00");
  EXPECT_EQ(Slots(), (std::vector<Slot>{{"00:00", "08:00", 0},
                                        {"08:00", "10:00", 23},
                                        {"08:00", "10:00", 19},
                                        {"09:00", "10:00", 20},
                                        {"24:00", "99:99", 20}}));
  EXPECT_EQ(state.schedule.daySlots[1].manual, "1");
}

TEST_F(DayPlanTest, OfTwoManualSlotsWithOneStartTheFirstInOrderStays) {
  AddSlot("06:00", "24:00", 20, false);
  AddSlot("08:00", "12:00", 23, true);
  AddSlot("08:00", "10:00", 22, true);
  SortSlots(DayPlanOf(state), "09:00");
  EXPECT_EQ(state.schedule.currentSlot, 2);
  EXPECT_EQ(state.schedule.slotTemps[2], 22);
}

TEST_F(DayPlanTest, AManualSlotWinsAndAManualSlotInsideComesNext) {
  AddSlot("06:00", "22:00", 21, false);
  AddSlot("12:00", "14:00", 23, true);
  AddSlot("22:00", "24:00", 17, false);
  SortSlots(DayPlanOf(state), "10:00");
  EXPECT_EQ(state.schedule.currentSlot, 1);
  EXPECT_EQ(state.schedule.nextSlot, 2);
  EXPECT_EQ(state.schedule.nextSetpoint, 23);
  FindCurrentSlot(DayPlanOf(state), "13:00");
  EXPECT_EQ(state.schedule.currentSlot, 2);
  EXPECT_EQ(state.schedule.nextSlot, 1);  // the program slot underneath takes over at 14:00
  EXPECT_EQ(state.schedule.nextSetpoint, 21);
}

TEST_F(DayPlanTest, ChoosesTheSlotInForceAndTheNextAndFlagsOnlyAChange) {
  const struct {
    std::string now;
    int current, next, flag;
  } cases[] = {{"13:00", 1, 2, 0}, {"05:59", 0, 1, 1},  // before the first step: the evening's
               {"06:30", 1, 2, 1}, {"21:59:30", 1, 2, 0},
               {"22:00", 2, 0, 1}, {"23:59", 2, 0, 0}};  // the closing entry covers nothing
  state.schedule.programRows = kWeek;
  Expand("WEEK", "12:00");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.now);
    state.control.changeFlags = 0;
    FindCurrentSlot(DayPlanOf(state), c.now);
    EXPECT_EQ(state.schedule.currentSlot, c.current);
    EXPECT_EQ(state.schedule.nextSlot, c.next);
    EXPECT_EQ(state.schedule.nextSetpoint, state.schedule.slotTemps[c.next]);
    EXPECT_EQ(state.control.changeFlags, c.flag);
  }
}

}  // namespace
}  // namespace kelvora
