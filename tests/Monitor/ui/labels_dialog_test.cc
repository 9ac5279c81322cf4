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

}  // namespace
}  // namespace kelvora::testing
