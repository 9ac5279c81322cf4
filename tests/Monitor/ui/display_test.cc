#include "Monitor/ui/display.h"

#include <gtest/gtest.h>

#include "tests/support/test_host.h"

namespace kelvora {
namespace {

using testing::StartUpLikeState;

class DisplayTest : public ::testing::Test {
 protected:
  DisplayTest() {
    StartUpLikeState(state);
    state.texts.tempMask = {"##.##\260C", "##.##\260F"};
    state.control.cycleIndex = 1;
    state.control.stripIndex = 1;
  }
  const std::string& Text(int id) {
    RefreshDisplay(state, now, snapshot);
    return snapshot.texts[id];
  }
  // The strip's drawn lines after a pass (it is sized ahead of the cycles).
  std::vector<std::string> Strip() {
    RefreshDisplay(state, now, snapshot);
    std::vector<std::string> lines = snapshot.stripLines;
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
  }
  // The current cycle row in `cycleState`, `minutes` long, drawn pass by pass.
  void RunCycle(float cycleState, int minutes) {
    ControlState& control = state.control;
    control.cycleLog(control.cycleIndex, kCycleState) = cycleState;
    for (int minute = 1; minute <= minutes; ++minute) {
      control.cycleLog(control.cycleIndex, kCycleDuration) = static_cast<float>(60 * minute + 5);
      UpdateCycleStrip(state);
      steps.push_back(control.stripRows((minute + 1) / 2));
    }
  }

  RunState state;
  LocalTime now;
  DisplaySnapshot snapshot;
  std::vector<std::string> steps;  // the line drawn at each minute
};

// Pre-heating names COLD and the heat pump after it, even with stages on.
TEST_F(DisplayTest, TheFanAndModeTextsNameWhatRuns) {
  state.card.outputByte = 1 | 2 | 4 | 8 | 16;
  state.control.heatMode = HeatMode::kPreheat;
  state.control.weatherMode = WeatherMode::kCold;
  EXPECT_EQ(Text(control_id::kFanText), "HI");
  EXPECT_EQ(snapshot.texts[control_id::kModeText], "Pre-Heating - COLD + AC/HP");
}

TEST_F(DisplayTest, ProgramFieldsAndSlotListRefreshOnlyWhenFlagged) {
  ScheduleState& schedule = state.schedule;
  state.settings.tempUnits = 0;
  schedule.slotCount = 2;
  schedule.currentSlot = 1;
  schedule.daySlots[1] = {"06:30", "22:00", ""};
  schedule.slotTemps[1] = 21.125f;
  EXPECT_EQ(Text(control_id::kSlotNumber), "");
  state.control.changeFlags = 1;
  EXPECT_EQ(Text(control_id::kSlotNumber), "1 of 2");
  EXPECT_EQ(snapshot.texts[control_id::kFromTemp], "21.13\260C");
  ASSERT_EQ(snapshot.slotRows.size(), 3u);
  EXPECT_EQ(snapshot.slotRows[1].slot, "  1:");
  EXPECT_EQ(snapshot.slotRows[1].times, "06:30 - 22:00");
  EXPECT_EQ(snapshot.slotRows[1].temperature, "21.13");
  schedule.slotCount = 3;
  EXPECT_EQ(Text(control_id::kSlotNumber), "1 of 2");  // not flagged: as it was
  state.texts.signedTempMask = {"+##.##\260C", "+##.##\260F"};
  schedule.slotTemps[1] = -3;
  state.control.changeFlags = 1;
  EXPECT_EQ(Text(control_id::kSlotNumber), "1 of 3");
  EXPECT_EQ(snapshot.texts[control_id::kFromTemp], " -3.00\260C");
}

TEST_F(DisplayTest, MidnightWithoutTimeOrWeightShowsZeroPercents) {
  state.statistics.heatingSeconds = 5;
  state.statistics.energyToday = 1;
  EXPECT_EQ(Text(control_id::kHeatingPercent), "  0.00%");
  EXPECT_EQ(snapshot.texts[control_id::kEnergyPercent], "  0.00%");
  for (const auto& [id, text] : snapshot.texts) {
    EXPECT_EQ(text.find("nan"), std::string::npos) << id;
    EXPECT_EQ(text.find("inf"), std::string::npos) << id;
  }
}

// Half a line a minute; a newer cycle in the next column but one; a long
// cycle grows the strip beyond its first lines.
TEST_F(DisplayTest, TheCycleStripDrawsEachCycleInItsColumn) {
  RunCycle(1, 7);
  EXPECT_EQ(steps[0], "\xDC");
  EXPECT_EQ(steps[1], "\xDB");
  EXPECT_EQ(Strip(), (std::vector<std::string>{"\xDB", "\xDB", "\xDB", "\xDC"}));
  state.control.cycleIndex = 2;
  RunCycle(0, 4);
  EXPECT_EQ(Strip(), (std::vector<std::string>{"\xDB \xB0", "\xDB \xB0", "\xDB", "\xDC"}));
  state.control.cycleIndex = 3;
  RunCycle(2, 40);
  std::vector<std::string> strip = Strip();
  ASSERT_EQ(strip.size(), 20u);
  EXPECT_EQ(strip[19], "    \xB2");
}

TEST(SnapshotJsonTest, EscapesAndConvertsEachTextFromItsCodePage) {
  DisplaySnapshot snapshot;
  snapshot.texts[control_id::kWeekday] = "a\"b\\c\r\n\x01";
  snapshot.texts[control_id::kIndoorNow] = "21.50\260C";
  snapshot.slotRows.push_back({"  0:", "00:00 - 06:30", "17"});
  snapshot.selectedSlot = 0;
  snapshot.stripLines = {"\xB0\xB1\xB2 \xDB\xDC"};
  nlohmann::json json = nlohmann::json::parse(SnapshotJson(snapshot));
  EXPECT_EQ(json["controls"][std::to_string(control_id::kWeekday)], "a\"b\\c\r\n\x01");
  EXPECT_EQ(json["controls"][std::to_string(control_id::kIndoorNow)], "21.50\u00B0C");
  EXPECT_EQ(json["slots"][0]["times"], "00:00 - 06:30");
  EXPECT_EQ(json["selectedSlot"], 0);
  EXPECT_EQ(json["strip"][0], "\u2591\u2592\u2593 \u2588\u2584");
}

}  // namespace
}  // namespace kelvora
