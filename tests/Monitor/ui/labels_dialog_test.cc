#include "Monitor/ui/labels_dialog.h"

#include <gtest/gtest.h>

#include "tests/Monitor/ui/dialog_fixture.h"

namespace kelvora::testing {
namespace {

const std::map<std::string, std::string> kTables = {{"PROGRAMS.prg", "WEEK,06:30,21\r\nEND,08:00,19\r\n"},
                                                    {"DAYS.prg", "Monday,WEEK\r\n"},
                                                    {"HOURS.prg", "WAKE,07:15\r\n"}};

class LabelsDialogTest : public DialogTest {
 protected:
  LabelsDialog Open(uint8_t mode, const char* settings = "[User]\r\nTemp_Units=0\r\n") {
    program = &Started(kTables, settings);
    return OpenLabelsDialog(program->State(), mode);
  }
  std::string Refusal(LabelsDialog& dialog, std::string_view label, std::string_view value) {
    auto box = AddLabel(dialog, label, value);
    return box ? box->caption : "";
  }
  Program* program = nullptr;
};

TEST_F(LabelsDialogTest, ADayTakesOneListedProgramAndTheLastOneAssignedStays) {
  LabelsDialog dialog = Open(kDaysMode);
  EXPECT_EQ(LabelsTextsOf(kDaysMode).title, "Days Setting/Editing");
  EXPECT_EQ(dialog.labels.front(), "Sunday");
  EXPECT_EQ(dialog.values, (std::vector<std::string>{"WEEK", "END"}));
  EXPECT_EQ(Refusal(dialog, "Monday", "END"), "");
  EXPECT_EQ(Refusal(dialog, "Mondays", "END"), "NOT a VALID LABEL");
  EXPECT_EQ(Refusal(dialog, "Friday", "NOWHERE"), "NOT a VALID LABEL");
  ASSERT_EQ(LabelLines(dialog).size(), 1u);
  EXPECT_EQ(LabelLines(dialog)[0].cells, (std::vector<std::string>{"Monday", "END"}));
  EXPECT_EQ(LabelLines(dialog)[0].number, "    1 :");
}

TEST_F(LabelsDialogTest, HolidayDatesTakeWildcardsButNoOtherForm) {
  LabelsDialog dialog = Open(kHolidaysMode);
  EXPECT_EQ(Refusal(dialog, "**/12/25", ""), "");
  EXPECT_EQ(Refusal(dialog, "20/**/**", "END"), "");
  for (const char* bad : {"20/13/01", "2020/12/25", "20/12/32", "20/00/01", "2a/12/01", "20-12-01"})
    EXPECT_EQ(Refusal(dialog, bad, ""), "BAD FORMAT") << bad;
  EXPECT_EQ(Refusal(dialog, "20/12/24", "NOWHERE"), "NOT a VALID LABEL");
  EXPECT_EQ(dialog.rows, (std::vector<LabelRow>{{"**/12/25", ""}, {"20/**/**", "END"}}));
}

TEST_F(LabelsDialogTest, HourLabelsAreAlphabeticAndTheirTimesAtMost24) {
  LabelsDialog dialog = Open(kHoursMode);
  EXPECT_EQ(Refusal(dialog, "Wake", "06:30"), "");
  EXPECT_EQ(Refusal(dialog, "1st", "06:30"), "NOT a Valid LABEL NAME");
  EXPECT_EQ(Refusal(dialog, "Late", "7:00"), "BAD FORMAT");
  EXPECT_EQ(Refusal(dialog, "Late", "24:45"), "");
  EXPECT_EQ(Refusal(dialog, "", "06:30"), "NO LABEL NAME");
  EXPECT_EQ(dialog.rows, (std::vector<LabelRow>{{"Late", "24:00"}, {"WAKE", "07:15"}, {"Wake", "06:30"}}));
  DeleteLabels(dialog, {0});
  EXPECT_EQ(dialog.labels, (std::vector<std::string>{"WAKE", "Wake"}));
}

TEST_F(LabelsDialogTest, AFahrenheitUserTypes68ForATableThatHolds20) {
  LabelsDialog dialog = Open(kTempsMode, "[User]\r\nTemp_Units=1\r\n");
  EXPECT_EQ(Refusal(dialog, "Comfort", "68"), "");
  EXPECT_EQ(Refusal(dialog, "Hot", "87"), "NOT a VALID NUMBER");
  EXPECT_EQ(dialog.rows, (std::vector<LabelRow>{{"Comfort", "20"}}));
  EXPECT_EQ(LabelLines(dialog)[0].cells[1], "68");
}

TEST_F(LabelsDialogTest, AFahrenheitTemperatureComesBackAsTyped) {
  LabelsDialog dialog = Open(kTempsMode, "[User]\r\nTemp_Units=1\r\n");
  for (const char* typed : {"65", "41", "86", "72.5", "70"})
    ASSERT_EQ(Refusal(dialog, std::string("T") + typed, typed), "");
  std::vector<std::string> shown;
  for (const auto& line : LabelLines(dialog)) shown.push_back(line.cells[1]);
  EXPECT_EQ(shown, (std::vector<std::string>{"41", "65", "70", "72.5", "86"}));
}

TEST_F(LabelsDialogTest, SaveWritesTheModesFileWhichReadsBackAsTheTable) {
  LabelsDialog dialog = Open(kHolidaysMode);
  AddLabel(dialog, "**/12/25", "END");
  AddLabel(dialog, "**/01/01", "");
  ASSERT_EQ(ApplyLabels(*program, dialog, true), std::nullopt);
  EXPECT_EQ(ReadFileBytes(DataFile("HOLIDAYS.prg")), "**/01/01,\r\n**/12/25,END\r\n");
  ScheduleState read = ReadBack();
  for (uint8_t kind = kDaysKind; kind <= kTempsKind; ++kind)
    EXPECT_EQ(ScheduleFileText(read, kind), ScheduleFileText(program->State().schedule, kind));

  LabelsDialog stale = OpenLabelsDialog(program->State(), kHolidaysMode);
  LabelsDialog other = OpenLabelsDialog(program->State(), kHolidaysMode);
  DeleteAllLabels(other);
  ASSERT_EQ(ApplyLabels(*program, other, false), std::nullopt);
  AddLabel(stale, "**/07/01", "");
  EXPECT_EQ(ApplyLabels(*program, stale, false)->caption, "CHANGED ELSEWHERE");
  EXPECT_TRUE(program->State().schedule.holidayRows.empty());
  EXPECT_TRUE(stale.rows.empty());
}

TEST_F(LabelsDialogTest, AForgedRowIsRefusedAsAddRefusesItAndNothingIsStoredOrWritten) {
  const struct {
    uint8_t mode;
    LabelRow row;
    const char* caption;
  } cases[] = {
      {kDaysMode, {"Funday", "WEEK"}, "NOT a VALID LABEL"},
      {kDaysMode, {"Tuesday", "NOWHERE"}, "NOT a VALID LABEL"},
      {kDaysMode, {"", "WEEK"}, "NO LABEL NAME"},
      {kHolidaysMode, {"**/13/45", ""}, "BAD FORMAT"},
      {kHolidaysMode, {"20/12/25", "NOWHERE"}, "NOT a VALID LABEL"},
      {kHoursMode, {"Late", "25:99"}, "BAD FORMAT"},
      {kHoursMode, {"Late", "7:00"}, "BAD FORMAT"},
      {kHoursMode, {"1st", "07:00"}, "NOT a Valid LABEL NAME"},
      {kTempsMode, {"HOT", "500"}, "NOT a VALID NUMBER"},
      {kTempsMode, {"HOT", "21abc"}, "NOT a VALID NUMBER"},
      {kTempsMode, {"HOT", std::string(101, '2')}, "NOT a VALID NAME"},
  };
  program = &Started(kTables, "[User]\r\nTemp_Units=0\r\n");
  const ScheduleState before = program->State().schedule;
  for (const auto& c : cases) {
    for (bool save : {false, true}) {
      LabelsDialog dialog = OpenLabelsDialog(program->State(), c.mode);
      dialog.rows.push_back(c.row);
      std::optional<MessageBoxRequest> refusal = ApplyLabels(*program, dialog, save);
      ASSERT_TRUE(refusal) << c.row.name << "," << c.row.value;
      EXPECT_EQ(refusal->caption, c.caption) << c.row.name << "," << c.row.value;
    }
  }
  for (uint8_t kind = kDaysKind; kind <= kTempsKind; ++kind) {
    EXPECT_EQ(ScheduleFileText(program->State().schedule, kind), ScheduleFileText(before, kind));
    EXPECT_EQ(ReadFileBytes(DataFile(std::string(ScheduleFileName(kind)))),
              kTables.count(std::string(ScheduleFileName(kind)))
                  ? kTables.at(std::string(ScheduleFileName(kind)))
                  : "");
  }
  // What Add would take passes: a holiday of the default program, the end of the day.
  LabelsDialog holidays = OpenLabelsDialog(program->State(), kHolidaysMode);
  holidays.rows.push_back({"**/12/25", ""});
  EXPECT_EQ(ApplyLabels(*program, holidays, true), std::nullopt);
  LabelsDialog hours = OpenLabelsDialog(program->State(), kHoursMode);
  hours.rows.push_back({"Night", "24:00"});
  EXPECT_EQ(ApplyLabels(*program, hours, true), std::nullopt);
}

}  // namespace
}  // namespace kelvora::testing
