#include "Monitor/ui/labels_dialog.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/Monitor/ui/dialog_fixture.h"

namespace kelvora::testing {
namespace {

const std::map<std::string, std::string> kTables = {{"PROGRAMS.prg", "WEEK,06:30,21\r\nEND,08:00,19\r\n"},
                                                    {"DAYS.prg", "Monday,WEEK\r\n"},
                                                    {"HOURS.prg", "WAKE,07:15\r\n"}};

class LabelsDialogTest : public DialogTest {
 protected:
  LabelsView Open(uint8_t mode, const char* settings = "[User]\r\nTemp_Units=0\r\n") {
    if (program == nullptr) program = &Started(kTables, settings);
    LabelsAction open;
    open.mode = mode;
    return ActOnLabels(program, open);
  }
  // The person's action on the view's working copy; the view keeps the next.
  LabelsView Act(LabelsView& view, LabelsAction::Kind kind, std::string label = "", std::string value = "") {
    LabelsAction action{kind, view.dialog.mode, view.dialog, std::move(label), std::move(value), {0}};
    LabelsView next = ActOnLabels(program, std::move(action));
    view.dialog = next.dialog;
    return next;
  }
  std::string AddRefusal(LabelsView& view, std::string label, std::string value) {
    LabelsView added = Act(view, LabelsAction::Kind::kAdd, std::move(label), std::move(value));
    return added.box ? added.box->caption : "";
  }
  static std::vector<std::vector<std::string>> Cells(const LabelsView& view) {
    std::vector<std::vector<std::string>> cells;
    for (const DialogListRow& line : view.lines) cells.push_back(line.cells);
    return cells;
  }
  Program* program = nullptr;
};

// Each row is refused by Add and, forged into the working copy, by Apply and
// SAVE; nothing is stored or written then.
TEST_F(LabelsDialogTest, ARowAddRefusesIsRefusedInAForgedCopyTooAndNothingIsStored) {
  const struct {
    uint8_t mode;
    std::string label, value, caption;
    const char* added = nullptr;  // what Add says, where it reads the text otherwise
  } cases[] = {
      {kDaysMode, "Funday", "WEEK", "NOT a VALID LABEL"},
      {kDaysMode, "Tuesday", "NOWHERE", "NOT a VALID LABEL"},
      {kDaysMode, "", "WEEK", "NO LABEL NAME"},
      {kHolidaysMode, "**/13/45", "", "BAD FORMAT"},
      {kHolidaysMode, "2020/12/25", "", "BAD FORMAT"},
      {kHolidaysMode, "20/00/01", "", "BAD FORMAT"},
      {kHolidaysMode, "2a/12/01", "", "BAD FORMAT"},
      {kHolidaysMode, "20-12-01", "", "BAD FORMAT"},
      {kHolidaysMode, "20/12/25", "NOWHERE", "NOT a VALID LABEL"},
      {kHoursMode, "Late", "25:99", "BAD FORMAT"},
      {kHoursMode, "Late", "7:00", "BAD FORMAT"},
      {kHoursMode, "1st", "07:00", "NOT a Valid LABEL NAME"},
      {kTempsMode, "HOT", "500", "NOT a VALID NUMBER"},
      {kTempsMode, "HOT", "21abc", "NOT a VALID NUMBER", ""},
      {kTempsMode, "HOT", std::string(101, '2'), "NOT a VALID NAME", "NOT a VALID NUMBER"},
  };
  Open(kDaysMode);
  const ScheduleState before = program->State().schedule;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label + "," + c.value);
    LabelsView view = Open(c.mode);
    EXPECT_EQ(AddRefusal(view, c.label, c.value), c.added != nullptr ? c.added : c.caption);
    view.dialog.rows.push_back({c.label, c.value});
    for (auto kind : {LabelsAction::Kind::kApply, LabelsAction::Kind::kSave}) {
      LabelsView applied = Act(view, kind);
      ASSERT_TRUE(applied.box);
      EXPECT_EQ(applied.box->caption, c.caption);
      EXPECT_EQ(applied.closed, false);
    }
  }
  for (uint8_t kind = kDaysKind; kind <= kTempsKind; ++kind) {
    std::string name(ScheduleFileName(kind));
    EXPECT_EQ(ScheduleFileText(program->State().schedule, kind), ScheduleFileText(before, kind));
    EXPECT_EQ(ReadFileBytes(DataFile(name)), kTables.count(name) ? kTables.at(name) : "");
  }
}

TEST_F(LabelsDialogTest, EachModeListsWhatItTakesSortedByLabel) {
  LabelsView days = Open(kDaysMode);
  EXPECT_EQ(days.texts.title, "Days Setting/Editing");
  EXPECT_EQ(days.dialog.labels.front(), "Sunday");
  EXPECT_EQ(days.dialog.values, (std::vector<std::string>{"WEEK", "END"}));
  EXPECT_EQ(AddRefusal(days, "Monday", "END"), "");
  EXPECT_EQ(Act(days, LabelsAction::Kind::kApply).lines.at(0).number, "    1 :");

  LabelsView holidays = Open(kHolidaysMode);
  EXPECT_EQ(AddRefusal(holidays, "20/**/**", "END"), "");
  EXPECT_EQ(AddRefusal(holidays, "**/12/25", ""), "");
  EXPECT_EQ(Cells(Act(holidays, LabelsAction::Kind::kApply)),
            (std::vector<std::vector<std::string>>{{"**/12/25", ""}, {"20/**/**", "END"}}));

  LabelsView hours = Open(kHoursMode);
  EXPECT_EQ(AddRefusal(hours, "Wake", "06:30"), "");
  EXPECT_EQ(AddRefusal(hours, "Late", "24:45"), "");
  EXPECT_EQ(Cells(Act(hours, LabelsAction::Kind::kApply)),
            (std::vector<std::vector<std::string>>{{"Late", "24:00"}, {"WAKE", "07:15"}, {"Wake", "06:30"}}));
}

TEST_F(LabelsDialogTest, AFahrenheitUserTypesAndSeesFahrenheitWhileTheTableHoldsCelsius) {
  LabelsView view = Open(kTempsMode, "[User]\r\nTemp_Units=1\r\n");
  EXPECT_EQ(AddRefusal(view, "Hot", "87"), "NOT a VALID NUMBER");
  for (const char* typed : {"68", "65", "41", "86", "72.5"})
    ASSERT_EQ(AddRefusal(view, std::string("T") + typed, typed), "");
  EXPECT_NE(std::find(view.dialog.rows.begin(), view.dialog.rows.end(), LabelRow{"T72.5", "22.5"}),
            view.dialog.rows.end());
  std::vector<std::string> shown;
  for (const auto& line : Act(view, LabelsAction::Kind::kApply).lines) shown.push_back(line.cells[1]);
  EXPECT_EQ(shown, (std::vector<std::string>{"41", "65", "68", "72.5", "86"}));
}

TEST_F(LabelsDialogTest, SaveWritesTheModesFileAndACopyOpenedBeforeAnotherApplyIsRefused) {
  LabelsView view = Open(kHolidaysMode);
  LabelsView stale = Open(kHolidaysMode);
  AddRefusal(view, "**/12/25", "END");
  AddRefusal(view, "**/01/01", "");
  ASSERT_EQ(Act(view, LabelsAction::Kind::kSave).closed, true);
  EXPECT_EQ(ReadFileBytes(DataFile("HOLIDAYS.prg")), "**/01/01,\r\n**/12/25,END\r\n");
  for (uint8_t kind = kDaysKind; kind <= kTempsKind; ++kind)
    EXPECT_EQ(ScheduleFileText(program->State().schedule, kind),
              ReadFileBytes(DataFile(std::string(ScheduleFileName(kind)))));
  AddRefusal(stale, "**/07/01", "");
  LabelsView refused = Act(stale, LabelsAction::Kind::kApply);
  EXPECT_EQ(refused.box->caption, "CHANGED ELSEWHERE");
  EXPECT_EQ(refused.lines.size(), 2u);
  EXPECT_EQ(program->State().schedule.holidayRows.size(), 2u);
}

}  // namespace
}  // namespace kelvora::testing
