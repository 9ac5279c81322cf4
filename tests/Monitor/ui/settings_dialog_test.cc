#include "Monitor/ui/settings_dialog.h"

#include <gtest/gtest.h>

#include "Monitor/learning/learning.h"

#include "tests/Monitor/ui/dialog_fixture.h"
#include "tests/support/test_host.h"

namespace kelvora::testing {
namespace {

const char* kMetricUser =
    "[User]\r\nLanguage=English\r\nTemp_Units=0\r\nSpeed_Units=0\r\nInt_Adjust=0.123\r\n"
    "[Config]\r\nHP=1\r\nHT=1\r\n";

// Learning as the program's own passive one does it, counting the
// recomputes of the project data.
class CountingRecompute final : public NullLearning {
 public:
  CountingRecompute(ControlHost& host, int& count)
      : passive_(LearningPartsOf(host), LearningServicesOf(host)), count_(count) {}
  void RecomputeProject() override { ++count_; }
  void ComputePreheatDuration(float timeConstant) override { passive_.ComputePreheatDuration(timeConstant); }
  void FitPreheatCurve(int modelKind) override { passive_.FitPreheatCurve(modelKind); }

 private:
  PassiveLearning passive_;
  int& count_;
};

class SettingsDialogTest : public DialogTest {
 protected:
  Program& Open(const std::string& settings = kMetricUser) {
    Program& p = Started({}, settings);
    WithCard(p);
    form = OpenSettingsDialog(p.State());
    return p;
  }
  // Chooses `on` of a pair of radio buttons.
  void Choose(int on, int off) {
    form.ticked.insert(on);
    form.ticked.erase(off);
  }
  SettingsOutcome Modify(Program& p, std::optional<BoxResult> answer = std::nullopt) {
    return ApplySettings(p, form, false, answer);
  }
  bool HeatPumpRelayOn() { return (ports.LastByte(kCardPort) & 16) != 0; }

  SettingsForm form;
};

TEST_F(SettingsDialogTest, ModifyWithoutChangesKeepsEverySettingButTheMaskRounding) {
  Program& p = Open();
  EXPECT_EQ(form.texts[settings_id::kIntAdjust], " +0.12\260C");
  EXPECT_EQ(form.texts[settings_id::kKwhCost], "0.00");
  EXPECT_EQ(form.texts[settings_id::kSunExponent], "^  0   ");
  EXPECT_EQ(form.texts[settings_id::kSunFloor], "50%");
  EXPECT_EQ(form.texts[settings_id::kWindFloor], " 30");
  Settings expected = p.State().settings;
  expected.Int_Adjust = 0.12f;
  EXPECT_EQ(Modify(p).result, SettingsApplied::kApplied);
  EXPECT_EQ(p.State().settings, expected);
}

TEST_F(SettingsDialogTest, NumbersAreReadInTheUnitsShownAndTheUnitsTakenOverLast) {
  Program& p = Open("[User]\r\nTemp_Units=1\r\nSpeed_Units=1\r\n");
  EXPECT_EQ(form.texts[settings_id::kExtTempFloor], "+50.00\260F");
  form.texts[settings_id::kWindFloor] = "19";
  form.texts[settings_id::kTempSetBack] = "3.6";
  form.texts[settings_id::kSunExponent] = "^ 2.5";
  Choose(settings_id::kCelsius, settings_id::kFahrenheit);
  ASSERT_EQ(Modify(p).result, SettingsApplied::kApplied);
  const Settings& s = p.State().settings;
  EXPECT_NEAR(s.WIND_Floor, 30.58f, 0.01f);
  EXPECT_NEAR(s.Temp_SetBack, 2.0f, 1e-5f);
  EXPECT_EQ(s.SUN_Adj_Curve, 2.5f);
  EXPECT_EQ(s.tempUnits, 0);

  form = OpenSettingsDialog(p.State());
  form.texts[settings_id::kSunExponent] = "3";
  form.texts[settings_id::kExtTempFloor] = "12";
  ASSERT_EQ(Modify(p).result, SettingsApplied::kApplied);
  EXPECT_EQ(s.SUN_Adj_Curve, 3.0f);
  EXPECT_EQ(s.Ext_Temp_Floor, 12.0f);
}

TEST_F(SettingsDialogTest, AFieldThatCannotBeHeldIsRefusedByNameAndNothingIsStored) {
  Program& p = Open("[User]\r\nTemp_Units=1\r\n");
  const Settings before = p.State().settings;
  struct Case {
    int id;
    const char* text;
    const char* message;
  };
  for (const Case& c :
       {Case{settings_id::kTempSetBack, "abc", "Temp SetBack Must be a Number between 0\260F and 18\260F"},
        Case{settings_id::kExtTempFloor, "", "Ext.Temp Floor Must be a Number between -40\260F and 104\260F"},
        Case{settings_id::kKwhCost, "0.125",
             "KW/h Cost Must be a Number between 0 and 99 of at most 4 Characters"},
        Case{settings_id::kWindFloor, "200", "WIND Speed Must be a Number between 0 Mi/h and 93 Mi/h"}}) {
    SettingsForm bad = form;
    bad.texts[c.id] = c.text;
    bad.texts[settings_id::kIntAdjust] = "+5";  // a good change that must not be stored either
    SettingsOutcome outcome = ApplySettings(p, bad, true, std::nullopt);
    EXPECT_EQ(outcome.result, SettingsApplied::kRefused);
    EXPECT_EQ(outcome.box->text.substr(0, std::string(c.message).size()), c.message);
  }
  EXPECT_EQ(p.State().settings, before);
  EXPECT_EQ(ReadFileBytes(home.File("Settings.ini")), "[User]\r\nTemp_Units=1\r\n");
}

TEST_F(SettingsDialogTest, AlwaysOnSwitchesTheHeatPumpAtOnceOutsideASetBack) {
  Program& p = Open();
  Choose(settings_id::kHeatPumpAlwaysOn, settings_id::kHeatPumpAlwaysOff);
  ASSERT_EQ(Modify(p).result, SettingsApplied::kApplied);
  EXPECT_EQ(p.State().settings.HP_Cont, 1);
  EXPECT_TRUE(HeatPumpRelayOn());
}

TEST_F(SettingsDialogTest, DuringASetBackTheHeatPumpChangesOnlyAfterTheNotice) {
  int recomputes = 0;
  makeLearning = [&](ControlHost& host) { return std::make_unique<CountingRecompute>(host, recomputes); };
  // Comfort until 14:06, then the set-back.
  Program& p = Started({{"PROGRAMS.prg", "DEFAULT,00:00,21\r\nDEFAULT,14:06,17\r\n"}}, kMetricUser);
  WithCard(p);
  RunFor(p, 70);
  ASSERT_EQ(p.State().control.setBackActive, 1);
  form = OpenSettingsDialog(p.State());
  Choose(settings_id::kHeatPumpAlwaysOn, settings_id::kHeatPumpAlwaysOff);

  const int recomputedBefore = recomputes;
  SettingsOutcome asked = Modify(p);
  EXPECT_EQ(asked.result, SettingsApplied::kAsk);
  EXPECT_EQ(asked.box->caption, "NOTICE");
  EXPECT_EQ(p.State().settings.HP_Cont, 0);

  ASSERT_EQ(Modify(p, BoxResult::kCancel).result, SettingsApplied::kApplied);
  EXPECT_EQ(p.State().settings.HP_Cont, 0);
  EXPECT_FALSE(HeatPumpRelayOn());
  EXPECT_EQ(recomputes, recomputedBefore);

  RunFor(p, 5);
  form = OpenSettingsDialog(p.State());
  Choose(settings_id::kHeatPumpAlwaysOn, settings_id::kHeatPumpAlwaysOff);
  ASSERT_EQ(Modify(p, BoxResult::kOk).result, SettingsApplied::kApplied);
  const RunState& s = p.State();
  EXPECT_EQ(s.settings.HP_Cont, 1);
  EXPECT_EQ(s.control.heatPumpHold, 1);
  EXPECT_EQ(s.learning.setbackStartTime, static_cast<float>(s.clock.clockSeconds));
  EXPECT_EQ(recomputes, recomputedBefore + 1);
  EXPECT_TRUE(HeatPumpRelayOn());
}

TEST_F(SettingsDialogTest, AFormFilledBeforeAnotherPageAppliedIsRefusedWithTheCurrentValues) {
  Program& p = Open();
  SettingsForm stale = form;
  form.texts[settings_id::kTempSetBack] = "2";
  ASSERT_EQ(Modify(p).result, SettingsApplied::kApplied);
  stale.texts[settings_id::kTempSetForward] = "3";
  SettingsOutcome outcome = ApplySettings(p, stale, false, std::nullopt);
  EXPECT_EQ(outcome.result, SettingsApplied::kChanged);
  EXPECT_EQ(outcome.current->texts[settings_id::kTempSetBack], " 2.00\260C");
  EXPECT_EQ(p.State().settings.Temp_SetForward, 1.0f);
}

}  // namespace
}  // namespace kelvora::testing
