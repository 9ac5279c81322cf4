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

TEST_F(DayPlanTest, NoDayRowAndNoHolidaySelectsTheDefaultProgram) {
  state.schedule.dayRows = {{"Monday", "WEEK"}};
  Select();
  EXPECT_EQ(state.schedule.currentProgram, "DEFAULT");
}

TEST_F(DayPlanTest, TheDayRowOfTheWeekdaySelectsItsProgram) {
  state.schedule.dayRows = {{"Friday", "WEEK"}, {"Saturday", "REST"}, {"Saturday", "OTHER"}};
  state.schedule.programRows = kWeek;
  Select();
  EXPECT_EQ(state.schedule.currentProgram, "REST");
  EXPECT_EQ(state.schedule.requestedProgram, "REST");
  EXPECT_EQ(state.schedule.slotCount, 2);
}

TEST_F(DayPlanTest, ADayRowWrittenInTheOtherLanguageSelectsTheDefaultProgram) {
  state.settings.languageFrench = 1;
  state.schedule.dayRows = {{"Saturday", "WEEK"}};
  Select();
  EXPECT_EQ(state.schedule.currentProgram, "DEFAUT");
}

TEST_F(DayPlanTest, AWeekdayOutsideTheWeekMatchesNoDayRow) {
  state.schedule.dayRows = {{"", "BLANK"}};
  for (uint8_t weekday : {0, 8, 255}) {
    state.schedule.currentProgram.clear();
    SelectDayProgram(DayPlanOf(state), weekday, "12:00");
    EXPECT_EQ(state.schedule.currentProgram, "DEFAULT") << int{weekday};
  }
}

struct HolidayCase {
  std::string date, program, today, selected;
};

class HolidayTest : public DayPlanTest, public ::testing::WithParamInterface<HolidayCase> {};

TEST_P(HolidayTest, AMatchingHolidayOverridesTheDay) {
  const HolidayCase& c = GetParam();
  state.clock.todayDate = c.today;
  state.schedule.dayRows = {{"Saturday", "WEEK"}};
  state.schedule.holidayRows = {{"18/01/01", "NEWYEAR"}, {c.date, c.program}};
  Select();
  EXPECT_EQ(state.schedule.currentProgram, c.selected);
}

INSTANTIATE_TEST_SUITE_P(Dates, HolidayTest,
                         ::testing::Values(HolidayCase{"**/**/**", "", "19/06/15", "HOLIDAY"},
                                           HolidayCase{"**/12/25", "XMAS", "19/12/25", "XMAS"},
                                           HolidayCase{"**/12/25", "XMAS", "19/06/15", "WEEK"},
                                           HolidayCase{"**/**/01", "FIRST", "20/02/01", "FIRST"},
                                           HolidayCase{"19/06/15", "ONCE", "19/06/15", "ONCE"},
                                           HolidayCase{"**/06", "SHORT", "19/06/15", "WEEK"},
                                           HolidayCase{"**/**/**", "ANY", "", "WEEK"}));

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
}

TEST_F(DayPlanTest, AFirstStepAtMidnightGivesSlotZeroItsTemperature) {
  state.schedule.programRows = {{"WEEK", "00:00", "19"}, {"WEEK", "07:00", "21"}};
  Expand("WEEK");
  EXPECT_EQ(state.schedule.daySlots[0].end, "00:00");
  EXPECT_EQ(state.schedule.slotTemps[0], 19);
}

TEST_F(DayPlanTest, FromTheFirstExpansionOnTheEveningRunsIntoTheMorning) {
  state.schedule.programRows = kWeek;
  Expand("REST");
  EXPECT_EQ(state.schedule.slotTemps[0], 16);
  Expand("WEEK");
  EXPECT_EQ(state.schedule.slotTemps[0], 17);  // WEEK's evening, not its 0 before 06:30
}

TEST_F(DayPlanTest, AHandOverContinuesWithTheOtherProgramsRows) {
  state.schedule.programRows = {{"WEEK", "06:30", "21"},
                                {"LATE", "23:00", "16"},
                                {"WEEK", "LATE", "99"},
                                {"WEEK", "20:00", "19"}};  // never reached: the walk went on with LATE
  EXPECT_EQ(Expand("WEEK"), "");
  EXPECT_EQ(
      Slots(),
      (std::vector<Slot>{
          {"00:00", "06:30", 16}, {"06:30", "23:00", 21}, {"23:00", "24:00", 16}, {"24:00", "99:99", 16}}));
  EXPECT_EQ(state.schedule.currentProgram, "WEEK");
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

TEST_F(DayPlanTest, NamesAreLookedUpAmongHourAndTemperatureLabels) {
  state.schedule.hourLabels = {{"WAKE", "06:15"}, {"WAKE", "09:00"}};
  state.schedule.tempLabels = {{"COMFORT", "21.5"}};
  state.schedule.programRows = {{"WEEK", "WAKE", "COMFORT"}};
  Expand("WEEK");
  EXPECT_EQ(state.schedule.daySlots[1].start, "06:15");
  EXPECT_EQ(state.schedule.slotTemps[1], 21.5f);
}

TEST_F(DayPlanTest, NamesFoundNowhereKeepTheSlotsPreviousValues) {
  state.schedule.daySlots[1].start = "05:00";
  state.schedule.slotTemps[1] = 18;
  state.schedule.daySlots[2].start = "09:00";
  state.schedule.slotTemps[2] = 19;
  // An empty time names nothing, not even the nameless program of a blank row.
  state.schedule.programRows = {{"WEEK", "NOWHERE", "NOTHING"}, {"", "08:00", "20"}, {"WEEK", "", ""}};
  Expand("WEEK");
  ASSERT_EQ(state.schedule.slotCount, 2);
  EXPECT_EQ(Slots()[1], Slot("05:00", "09:00", 18));
  EXPECT_EQ(Slots()[2], Slot("09:00", "24:00", 19));
}

TEST_F(DayPlanTest, AProgramWithoutRowsLeavesOnlySlotZeroAndTheClosingEntry) {
  state.schedule.slotTemps[0] = 18;
  Expand("EMPTY");
  EXPECT_EQ(Slots(), (std::vector<Slot>{{"00:00", "24:00", 18}, {"24:00", "99:99", 18}}));
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

TEST_F(DayPlanTest, ARebuiltDayHasNoManualSlots) {
  AddSlot("07:00", "08:00", 25, true);
  state.schedule.programRows = kWeek;
  Expand("WEEK");
  EXPECT_EQ(state.schedule.daySlots[1].manual, "");
  EXPECT_EQ(state.schedule.daySlots[2].manual, "");
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

struct NowCase {
  std::string now;
  int current, next;
};

class SlotChoiceTest : public DayPlanTest, public ::testing::WithParamInterface<NowCase> {};

TEST_P(SlotChoiceTest, ChoosesTheSlotInForceAndTheNext) {
  state.schedule.programRows = kWeek;
  Expand("WEEK");
  FindCurrentSlot(DayPlanOf(state), GetParam().now);
  EXPECT_EQ(state.schedule.currentSlot, GetParam().current);
  EXPECT_EQ(state.schedule.nextSlot, GetParam().next);
  EXPECT_EQ(state.schedule.nextSetpoint, state.schedule.slotTemps[GetParam().next]);
}

INSTANTIATE_TEST_SUITE_P(Times, SlotChoiceTest,
                         ::testing::Values(NowCase{"05:59", 0, 1},  // before the first step: the evening's
                                           NowCase{"06:30", 1, 2}, NowCase{"21:59:30", 1, 2},
                                           NowCase{"22:00", 2, 0},
                                           NowCase{"23:59", 2, 0}));  // the closing entry covers nothing

TEST_F(DayPlanTest, TheRefreshFlagIsSetOnlyWhenTheSlotInForceChanges) {
  state.schedule.programRows = kWeek;
  Expand("WEEK", "12:00");
  state.control.changeFlags = 0;
  FindCurrentSlot(DayPlanOf(state), "13:00");
  EXPECT_EQ(state.control.changeFlags, 0);
  FindCurrentSlot(DayPlanOf(state), "22:30");
  EXPECT_EQ(state.control.changeFlags, 1);
}

}  // namespace
}  // namespace kelvora
