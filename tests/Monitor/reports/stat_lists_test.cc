#include "Monitor/reports/stat_lists.h"

#include "gmock/gmock.h"
#include "gtest/gtest.h"
#include "tests/support/test_host.h"

namespace kelvora {
namespace {

using ::testing::ElementsAre;

class StatListTest : public ::testing::Test {
 protected:
  StatListTest() {
    testing::StartUpLikeState(state);
    state.texts.tempMask = {"##.##\260C", "##.##\260F"};
    state.texts.signedTempMask = {"+##.##\260C", "+##.##\260F"};
    state.settings.tempUnits = 0;
  }

  void AddCycle(float cycleState, float start, float energy) {
    ControlState& c = state.control;
    int r = ++c.cycleIndex;
    c.cycleLog(r, kCycleState) = cycleState;
    c.cycleLog(r, kCycleStart) = start;
    c.cycleLog(r, kCycleInterior) = 20.5f;
    c.cycleLog(r, kCycleExterior) = -3.25f;
    c.cycleLog(r, kCycleEnergy) = energy;
  }

  RunState state;
};

TEST_F(StatListTest, ADayWithNoCyclesShowsOnlyTheSixSummaryRows) {
  StatList list = BuildStatList(ListKind::kCycles, ReportPartsOf(state));
  EXPECT_EQ(list.widthChange, -90);
  EXPECT_TRUE(list.columns[1].leftAligned);
  EXPECT_FALSE(list.columns[0].leftAligned);
  ASSERT_EQ(list.rows.size(), 6u);
  const std::string dash13(13, '-'), dash14(14, '-'), dash15(15, '-');
  EXPECT_THAT(list.rows[0], ElementsAre(dash13, dash14, "", "", "", dash15, dash14, dash14, dash14));
  EXPECT_THAT(list.rows[1], ElementsAre("SetBACK", "Cycles:", "", "", "", "", "", "     0.00", "( 0.00%)"));
  EXPECT_THAT(list.rows[4], ElementsAre("SetBACK", "SAVINGS:", "", "", "", "", "", "     0.00", "( 0.00%)"));
}

TEST_F(StatListTest, ARunningOnPeriodIsMeasuredUpToNow) {
  AddCycle(0, 0, 0);
  AddCycle(1, 3600, 4.0f);
  AddCycle(0, 4500, 4.0f);
  AddCycle(-1, 7200, 9.0f);
  state.clock.clockSeconds = 9000;
  state.card.totalRatedPower = 27.9f;
  StatList list = BuildStatList(ListKind::kCycles, ReportPartsOf(state));
  ASSERT_EQ(list.rows.size(), 4u + 6u);
  EXPECT_THAT(list.rows[0], ElementsAre("      1 :", "OFF", " 0:00:00", "20.50\260C", " -3.25\260C",
                                        " 0:00:00", "", "     0.00", ""));
  // On from 3600 to 4500 out of 0..4500: 20 %; 4 kWh of 4500 s at 27.9 kW.
  EXPECT_EQ(list.rows[1][1], "Heat-ON");
  EXPECT_EQ(list.rows[1][6], "(20.00%)");
  EXPECT_EQ(list.rows[1][8], "(11.47%)");
  // The pre-heat still burning: from 7200 to now (9000) out of 4500..9000.
  EXPECT_EQ(list.rows[3][1], "PreHeat");
  EXPECT_EQ(list.rows[3][6], "(40.00%)");
  EXPECT_EQ(list.rows[3][7], "     5.00");
}

TEST_F(StatListTest, ATableFullToItsLastRowKeepsTheRunningPeriodInsideIt) {
  ControlState& c = state.control;
  c.cycleLog.Dimension(500, 5);
  c.cycleIndex = 498;
  AddCycle(0, 3000, 1);
  AddCycle(2, 3600, 2);
  state.clock.clockSeconds = 4200;
  StatList list = BuildStatList(ListKind::kCycles, ReportPartsOf(state));
  EXPECT_EQ(c.cycleLog.Rows(), 500);
  ASSERT_EQ(list.rows.size(), 506u);
  EXPECT_EQ(list.rows[499][1], "HP-ON");
  EXPECT_EQ(list.rows[499][6], "(50.00%)");
}

TEST_F(StatListTest, StepListsShowEachStepAndNothingWithoutAnEpisode) {
  LearningState& l = state.learning;
  l.dropIndex = -1;
  l.stepIndex = 2;
  l.stepThreshold = 17;
  const float rows[3][6] = {{21600, -5, 16.95f, 25200, 0, 0},
                            {22200, -5, 17.1f, 25140, 1.5f, 30},
                            {22560, -4.5f, 17.2f, 25080, 1.25f, 32.5f}};
  for (int i = 0; i < 3; ++i)
    for (int col = 0; col < 6; ++col) l.stepTable(i, col) = rows[i][col];
  EXPECT_TRUE(BuildStatList(ListKind::kDropSteps, ReportPartsOf(state)).rows.empty());
  StatList list = BuildStatList(ListKind::kPreheatSteps, ReportPartsOf(state));
  EXPECT_EQ(list.title, "Pre-Heating Stats");
  EXPECT_EQ(list.columns[9].title, "Arriv. Time");
  ASSERT_EQ(list.rows.size(), 3u);
  EXPECT_THAT(list.rows[0], ElementsAre("    0 :", "06:00:00", "16.95\260C", " -5.00\260C", "", "  0.0", "",
                                        "  0.0", "  0.0", "07:00:00"));
  EXPECT_EQ(list.rows[1][6], "");
  // 16 minutes over the 0.2 degrees above the step threshold.
  EXPECT_THAT(list.rows[2], ElementsAre("    2 :", "06:16:00", "17.20\260C", " -4.50\260C", "  6.0", " 16.0",
                                        " 80.00", "  1.3", " 32.5", "06:58:00"));
}

}  // namespace
}  // namespace kelvora
