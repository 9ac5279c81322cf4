#include "Monitor/reports/status_screen.h"

#include "gtest/gtest.h"
#include "tests/support/program_fixture.h"
#include "tests/support/test_host.h"

namespace kelvora {
namespace {

// An 80-column row with each text laid in from its column (counted from 1).
std::string Row(std::initializer_list<std::pair<int, std::string>> fields) {
  std::string row(80, ' ');
  for (const auto& [column, text] : fields) row.replace(static_cast<size_t>(column - 1), text.size(), text);
  return row;
}

class StatusScreenTest : public ::testing::Test {
 protected:
  StatusScreenTest() {
    testing::StartUpLikeState(state);
    state.texts.dayNameTable[0] = {"",          "Sunday",   "Monday", "Tuesday",
                                   "Wednesday", "Thursday", "Friday", "Saturday"};
    state.settings.tempUnits = 0;
    state.clock.todayWeekday = 2;
    state.clock.todayDate = "19/06/17";
    state.clock.clockSeconds = 8 * 3600 + 5 * 60 + 9;
    ScheduleState& s = state.schedule;
    s.currentSlot = 2;
    s.daySlots[2] = {"06:30", "22:30", ""};
    s.slotTemps[2] = 19;
    StatisticsState& st = state.statistics;
    st.onTimeText = " 0:20:00";
    st.onPercent = 100.0f / 3;
    st.day.sun.maximum = 80;
    LearningState& l = state.learning;
    l.timeConst = 240;
    l.ceilingTemp = 25.5f;
    l.dropRate = 45.25f;
    l.stepsRecorded = 5;
    l.stepsToGain = 25;
    l.estimatedPreheatSeconds = 5400;
    l.estimatedArrival = 27000;
    state.control.windNow = 12;
    state.control.windHour = -10.4f;
    state.control.sunNow = 55;
    state.control.stripRows(1) = " \xDB\xDB";
    // A long cycle's strip: the lines that would reach the frame are left out.
    state.control.stripRows.GrowRows(20);
    state.control.stripRowCount = 20;
    state.control.stripRows(11) = " \xB0";
    state.control.stripRows(12) = " \xB0";
  }

  RunState state;
  TextScreen screen;
};

TEST_F(StatusScreenTest, TheFieldsLandAtTheirRowsAndColumns) {
  DrawStatusFrame(ReportPartsOf(state), screen);
  const std::string bar = "\xDB";
  EXPECT_EQ(
      screen.Row(1),
      Row({{1, "DATE     : Monday,"}, {22, "19/06/17"}, {32, bar}, {34, "HEURE    :"}, {56, "08:05:09"}}));
  EXPECT_EQ(screen.Row(2), Row({{1, std::string(80, '\xDC')}, {32, bar}}));
  EXPECT_EQ(screen.Row(3), Row({{14, "INT.      EXT."}, {32, bar}, {44, "   QNT\220E      PCNT %"}}));
  EXPECT_EQ(screen.Row(8), Row({{1, "MAXIMUM  :"},
                                {32, bar},
                                {33, "       240"},
                                {44, "   25.50   "},
                                {56, " 45.3"},
                                {68, " 12"},
                                {73, "   10   "}}));
  EXPECT_EQ(
      screen.Row(9),
      Row({{32, bar}, {33, "    5 /25"}, {44, "   90.00 mi   7.50 hre"}, {68, " 55 %"}, {73, "   80 %"}}));
  EXPECT_EQ(screen.Row(14), Row({{1, " \xB0"}}));
  EXPECT_EQ(screen.Row(10), Row({{1, "PROG. #2"},
                                 {10, ": 06:30   - 22:30 Hre"},
                                 {32, bar},
                                 {34, "(\xDB)MARCHE:"},
                                 {44, " 0:20:00"},
                                 {52, " hr  33.33 %"}}));
  EXPECT_EQ(screen.Row(11), Row({{1, "TEMP.    : 19.00\370C - 19.00\370C"},
                                 {32, bar},
                                 {34, "(\xB0)ARRET :"},
                                 {44, " 0:00:00"},
                                 {52, " hr   0.00 %"}}));
  EXPECT_EQ(screen.Row(13), std::string(80, '\xDF'));
  EXPECT_EQ(screen.Row(24), Row({{1, " \xDB\xDB"}}));
  EXPECT_EQ(screen.Utf8Rows()[12].substr(0, 3), "\u2580");
}

TEST_F(StatusScreenTest, ATerminalGetsTheWholeScreenOnceThenOnlyWhatChanged) {
  std::string written;
  TerminalStatusWriter terminal([&](std::string_view text) { written += text; });
  DrawStatusFrame(ReportPartsOf(state), screen);
  terminal.Show(screen);
  EXPECT_EQ(written.substr(0, 4), "\x1b[2J");
  EXPECT_NE(written.find("\x1b[1;1HDATE     : Monday,"), std::string::npos);
  written.clear();
  state.control.windNow = 13;
  DrawStatusValues(ReportPartsOf(state), screen);
  terminal.Show(screen);
  EXPECT_EQ(written, "\x1b[8;70H3\x1b[25;1H");
  written.clear();
  terminal.Show(screen);
  EXPECT_EQ(written, "");
}

class StatusScreenProgramTest : public testing::ProgramFixture {
 protected:
  Program& StartedOn(bool terminal) {
    statusScreenToTerminal = terminal;
    return Started("2019-06-15 14:05:08");
  }
};

TEST_F(StatusScreenProgramTest, WithoutATerminalTheScreenIsKeptButNotWritten) {
  Program& p = StartedOn(false);
  EXPECT_EQ(ui.console.find("\x1b["), std::string::npos);
  EXPECT_EQ(p.StatusScreenRows()[0].substr(0, 19), "DATE     : Saturday");
}

// Start-up draws the whole frame, each pass then only its values; a box's
// lines and its answer scroll the terminal, so that drawing only the
// changed fields would put them on the wrong rows.
TEST_F(StatusScreenProgramTest, OnATerminalTheWholeScreenIsDrawnAtStartUpAndAfterABox) {
  Program& p = StartedOn(true);
  EXPECT_NE(ui.console.find("\x1b[2J"), std::string::npos);
  EXPECT_NE(ui.console.find("HEURE    :"), std::string::npos);
  for (bool box : {false, true}) {
    if (box) {
      ui.answers.push_back(BoxResult::kRetry);
      EXPECT_EQ(
          p.Ui().ShowMessageBox({false, "SYSTEM ERROR", "", BoxIcon::kNone, BoxButtons::kAbortRetryIgnore}),
          BoxResult::kRetry);
    }
    ui.console.clear();
    clock.Advance(std::chrono::seconds(1));
    p.Tick();
    EXPECT_EQ(ui.console.find("\x1b[2J"), box ? 0 : std::string::npos);
    EXPECT_NE(ui.console.find(box ? "\x1b[1;1HDATE     :" : "\x1b[1;"), std::string::npos);
  }
}

}  // namespace
}  // namespace kelvora
