#include "Monitor/learning/estimate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "Functions/formulas.h"
#include "Monitor/learning/preheat_history.h"
#include "Monitor/learning/project_file.h"
#include "Monitor/schedule/day_plan.h"
#include "tests/support/test_host.h"

namespace kelvora::testing {
namespace {

class EstimateTest : public ::testing::Test {
 protected:
  EstimateTest() {
    host.learningOverride = std::make_unique<HouseLearning>(LearningPartsOf(host), LearningServicesOf(host));
    SetToday("19/01/18", 6);  // a Friday
    host.state.settings.Inert_Deg = 3;
  }

  void SetToday(const std::string& date, uint8_t weekday) {
    ClockState& clock = host.state.clock;
    clock.todayDate = date;
    clock.todayNumber = NumDate(date);
    clock.todaySeasonDay = Julian07(date);
    clock.todayWeekday = weekday;
  }

  // Weekdays wake at 06:30, the weekend at 08:00; every night falls to 17.
  void UseWeekSchedule(const std::string& weekendWake = "08:00", const std::string& warm = "21") {
    RunState& state = host.state;
    state.texts.dayNameTable[0] = {"",          "Sunday",   "Monday", "Tuesday",
                                   "Wednesday", "Thursday", "Friday", "Saturday"};
    state.schedule.programRows = {{"WEEKDAY", "00:00", "17"},     {"WEEKDAY", "06:30", warm},
                                  {"WEEKDAY", "22:30", "17"},     {"WEEKEND", "00:00", "17"},
                                  {"WEEKEND", weekendWake, warm}, {"WEEKEND", "23:00", "17"}};
    state.schedule.dayRows = {{"Monday", "WEEKDAY"},   {"Tuesday", "WEEKDAY"}, {"Wednesday", "WEEKDAY"},
                              {"Thursday", "WEEKDAY"}, {"Friday", "WEEKDAY"},  {"Saturday", "WEEKEND"},
                              {"Sunday", "WEEKEND"}};
  }

  // The set-back has just begun at `now` seconds, with the house at 21.
  void StartSetback(int32_t now, const std::string& clockText) {
    RunState& state = host.state;
    SelectDayProgram(DayPlanOf(state), state.clock.todayWeekday, clockText);
    state.clock.clockSeconds = now;
    state.control.interiorTemp = 21;
    state.control.exteriorTemp = -5;
    state.learning.setbackStartTime = static_cast<float>(now);
    state.learning.setbackStartInterior = 21;
    state.learning.setbackStartExterior = -5;
    state.schedule.nextSetpoint = 17;
  }

  // `count` identical pre-heats in "PREHEAT.DAT", read as at start-up.
  void ReadRecords(int count, float slope, float curve) {
    PreheatHistoryRecord r;
    r.date = "19/01/10";
    r.slope = slope;
    r.curve = curve;
    r.fittedTimeConst = 200;
    r.programmedTime = 23400;
    r.actualSeconds = 3600;
    std::string bytes;
    for (int i = 0; i < count; ++i) bytes += EncodePreheatRecord(r);
    WriteFileBytes(host.DataFile("PREHEAT.DAT"), bytes);
    host.state.control.pendingSlotEnd = 23400;
    ReadPreheatHistory(LearningPartsOf(host), LearningServicesOf(host));
  }

  std::string LearningLog() { return ReadFileBytes(host.DataFile("PH_HP.LOG")); }

  LearningState& learning() { return host.state.learning; }
  TestHost host;
};

TEST_F(EstimateTest, StartUpTimeIsScaledForFewerStepsThanTheInertiaPhase) {
  LearningState& l = learning();
  l.riseDelaySeconds = 60;
  l.inertiaSeconds = 180;
  l.stepExcess = 0;
  struct Case {
    int16_t steps;
    int32_t seconds;
  };
  for (Case c : {Case{0, 0}, Case{1, 120}, Case{3, 240}, Case{5, 240}}) {
    l.stepsToGain = c.steps;
    ComputePreheatDuration(LearningPartsOf(host), l.timeConst);
    EXPECT_EQ(l.estimatedPreheatSeconds, c.seconds) << c.steps << " steps";
  }
}

TEST_F(EstimateTest, AnUnreachableCeilingGivesALateButFiniteEstimate) {
  LearningState& l = learning();
  l.modelKind = 3;
  l.stepExcess = 50;
  l.ceilingMargin = 2;  // five degrees to climb, two below the ceiling
  ComputePreheatDuration(LearningPartsOf(host), 300);
  EXPECT_GT(l.estimatedPreheatSeconds, 86400);
}

TEST_F(EstimateTest, AModelIsItsConstantPlusItsWeightedRegressors) {
  ModelSlot slot;
  slot.modelVarCount = 3;
  slot.modelMask = 0b1001;
  slot.rows[1].modelCoef = 5;
  slot.rows[2] = ModelRow{2, "", 0, 0.5f, 0};
  slot.rows[3] = ModelRow{4, "", 0, -2, 0};
  Regressors x{};
  x[2] = 10;
  x[4] = -3;
  EXPECT_FLOAT_EQ(ModelValue(slot, x), 5 + 5 + 6);
  slot.rows[3].modelVarIndex = 42;  // names no regressor
  EXPECT_FLOAT_EQ(ModelValue(slot, x), 10);
}

// The model's 10 + 0.5 x exterior is taken from ten records per coefficient
// on, and only within half to twice the class slope of 12.
TEST_F(EstimateTest, APredictionIsTakenOnlyFromEnoughRecordsAndNearTheClassSlope) {
  LearningState& l = learning();
  struct Case {
    float samples, exterior, slope;
  };
  for (Case c : {Case{19, 8, 12}, Case{20, 8, 14}, Case{100, 30, 12}, Case{100, -10, 12}}) {
    l.classSlope = l.slope = 12;
    ModelSlot& slot = l.models[1];
    slot.modelVarCount = 2;
    slot.modelMask = 1 | 16;
    slot.modelSamples = c.samples;
    slot.rows[1].modelCoef = 10;
    slot.rows[2] = ModelRow{5, "", 0, 0.5f, 0};
    host.state.control.exteriorTemp = c.exterior;
    EvaluateModels(LearningPartsOf(host));
    EXPECT_FLOAT_EQ(l.predictedSlope, c.slope) << c.samples << " records at " << c.exterior;
  }
}

TEST_F(EstimateTest, WithNoWarmerPeriodNothingIsPlannedOrLogged) {
  UseWeekSchedule("08:00", "17");
  StartSetback(81000, "22:30:00");
  float before = host.state.schedule.nextSetpoint;
  LearningUpdate(LearningPartsOf(host), LearningServicesOf(host));
  EXPECT_EQ(learning().logPending, 0);
  EXPECT_FALSE(host.Files().Exists("PH_HP.LOG"));
  EXPECT_EQ(host.state.schedule.nextSetpoint, before);
}

TEST_F(EstimateTest, EqualEnergiesChooseTheHeatPumpHeldOn) {
  UseWeekSchedule();
  host.state.card.heatPumpPower = 0;  // holding it on costs nothing
  StartSetback(81000, "22:30:00");
  LearningUpdate(LearningPartsOf(host), LearningServicesOf(host));
  EXPECT_EQ(host.state.control.heatPumpHold, 1);
}

// Records whose own slope is no heating curve give a class average that is
// none either: the estimate must still give the pre-heat some time.
TEST_F(EstimateTest, AnImplausibleFitAndClassAverageStillEstimateAPositiveDuration) {
  ReadRecords(25, -4, 0.5f);  // a negative slope is no heating curve
  RecomputeProject(LearningPartsOf(host), LearningServicesOf(host));
  EXPECT_EQ(learning().minRecords, 10);
  EXPECT_EQ(learning().currentModel, 3);
  EXPECT_GT(learning().slope, 0);
  learning().stepsToGain = 40;
  learning().stepExcess = 40;
  ComputePreheatDuration(LearningPartsOf(host), learning().timeConst);
  EXPECT_GT(learning().estimatedPreheatSeconds, 3600);
}

TEST_F(EstimateTest, AnImplausibleFitWithFewRecordsWidensOnceAndThenStops) {
  ReadRecords(12, -4, 0);
  RecomputeProject(LearningPartsOf(host), LearningServicesOf(host));
  EXPECT_EQ(learning().minRecords, 15);
  EXPECT_EQ(learning().currentModel, 3);
}

// What a kill before any file operation of a recompute leaves: each
// "PROJECT.DAT" on disk reads back whole, keeps the set-back, and holds the
// block of the model its header names.
TEST_F(EstimateTest, AKillAtAnyStepOfARecomputeLeavesAProjectFileThatReadsBackWhole) {
  host.state.control.setBackActive = 1;
  ReadRecords(12, 2, 0.5f);
  std::vector<std::string> onDisk;
  host.faults.SetOperationHook([&](int, FileOp, const std::string&) {
    onDisk.push_back(ReadFileBytes(host.DataFile(kProjectFile)));
    return 0;
  });

  RecomputeProject(LearningPartsOf(host), LearningServicesOf(host));

  host.faults.SetOperationHook(nullptr);
  onDisk.push_back(ReadFileBytes(host.DataFile(kProjectFile)));
  int written = 0;
  for (const std::string& text : onDisk) {
    if (text.empty()) continue;
    ++written;
    RunState read;
    for (ModelSlot& slot : read.learning.models) slot.modelSamples = -1;  // never read
    const ProjectReadResult result = ParseProjectText(text, LearningPartsOf(read));
    ASSERT_FALSE(result.damaged) << result.problem << "\n" << text;
    EXPECT_EQ(read.control.setBackActive, 1) << text;
    const int m = read.learning.currentModel;
    if (m < 3) {
      EXPECT_NE(read.learning.models[m].modelSamples, -1) << "no block of model " << m << "\n" << text;
    }
  }
  EXPECT_GT(written, 0);
}

}  // namespace
}  // namespace kelvora::testing
