#include "Monitor/ui/programs_dialog.h"

#include <gtest/gtest.h>

#include "tests/Monitor/ui/dialog_fixture.h"

namespace kelvora::testing {
namespace {

using Cells = std::vector<std::vector<std::string>>;

const std::map<std::string, std::string> kTables = {
    {"PROGRAMS.prg", "WEEK,06:30,21\r\nWEEK,22:30,ECO\r\nWEEK,WAKE,21\r\nEND,08:00,19\r\n"},
    {"HOURS.prg", "WAKE,07:15\r\n"},
    {"TEMPS.prg", "ECO,17\r\n"}};
const char* kCelsiusUser = "[User]\r\nTemp_Units=0\r\n";

Cells ListCells(const ProgramsDialog& dialog) {
  Cells cells;
  for (const DialogListRow& line : ProgramSteps(dialog)) {
    cells.push_back({line.number});
    cells.back().insert(cells.back().end(), line.cells.begin(), line.cells.end());
  }
  return cells;
}

std::string Caption(const StepAdded& added) { return added.refusal ? added.refusal->caption : ""; }

class ProgramsDialogTest : public DialogTest {};

TEST_F(ProgramsDialogTest, OpensWithEveryStepInItsDisplayForm) {
  ProgramsDialog dialog = OpenProgramsDialog(Started(kTables, kCelsiusUser).State());
  EXPECT_EQ(dialog.names, (std::vector<std::string>{"WEEK", "END"}));
  EXPECT_EQ(dialog.times, (std::vector<std::string>{"*WEEK [Prog.]", "*END [Prog.]", " 06:30", " 22:30",
                                                    " 08:00", " WAKE [07:15]"}));
  EXPECT_EQ(dialog.temps, (std::vector<std::string>{"21", "19", "ECO [17]"}));
  EXPECT_EQ(ListCells(dialog), (Cells{{"    1 :", "WEEK", "06:30", "21"},
                                      {"    2 :", "WEEK", "22:30", "ECO [17]"},
                                      {"    3 :", "WEEK", "WAKE [07:15]", "21"}}));
}

TEST_F(ProgramsDialogTest, AStepAtTheSameTimeReplacesTheOldOneAndATimeNeedsFiveCharacters) {
  ProgramsDialog dialog = OpenProgramsDialog(Started(kTables, kCelsiusUser).State());
  EXPECT_EQ(Caption(AddProgramStep(dialog, "WEEK", " 06:30", "20.5")), "");
  EXPECT_EQ(Caption(AddProgramStep(dialog, "WEEK", "07:00", "20")), "");
  EXPECT_EQ(Caption(AddProgramStep(dialog, "WEEK", "24:45", "ECO [17]")), "");
  EXPECT_EQ(ListCells(dialog), (Cells{{"    1 :", "WEEK", "06:30", "20.5"},
                                      {"    2 :", "WEEK", "22:30", "ECO [17]"},
                                      {"    3 :", "WEEK", "WAKE [07:15]", "21"},
                                      {"    4 :", "WEEK", "07:00", "20"},
                                      {"    5 :", "WEEK", "24:00", "ECO [17]"}}));
  EXPECT_EQ(AddProgramStep(dialog, "", "07:00", "20").refusal->text, "ENTER a Program NAME");
}

TEST_F(ProgramsDialogTest, AFahrenheitUserTypes70AndSees70WhileTheTableHolds2111) {
  ProgramsDialog dialog = OpenProgramsDialog(Started(kTables, "[User]\r\nTemp_Units=1\r\n").State());
  AddProgramStep(dialog, "END", "09:00", "70");
  EXPECT_EQ(dialog.rows.back().temperature, "21.11");
  EXPECT_EQ(ListCells(dialog).back(), (std::vector<std::string>{"    2 :", "END", "09:00", "70"}));
  EXPECT_EQ(AddProgramStep(dialog, "END", "09:00", "21").refusal->text,
            "TEMP Must be a Number between: 41\260F and 86\260F");
}

TEST_F(ProgramsDialogTest, ANewProgramJoinsTheMainWindowWhichKeepsAProgramDeletedWhole) {
  Program& p = Started(kTables, kCelsiusUser);
  ProgramsDialog dialog = OpenProgramsDialog(p.State());
  StepAdded added = AddProgramStep(dialog, "NIGHT", "23:00", "16");
  ASSERT_TRUE(added.newProgram);
  p.State().control.changeFlags = 0;
  AnnounceProgramName(p.State(), "NIGHT");
  EXPECT_EQ(p.State().schedule.programBox, (std::vector<std::string>{"WEEK", "END", "NIGHT"}));
  EXPECT_EQ(p.State().control.changeFlags & 1, 1);

  dialog.shown = "END";
  DeleteAllProgramSteps(dialog);
  EXPECT_EQ(dialog.names, (std::vector<std::string>{"WEEK", "NIGHT"}));
  EXPECT_TRUE(ProgramSteps(dialog).empty());
  EXPECT_EQ(ApplyPrograms(p, dialog, false), std::nullopt);
  EXPECT_EQ(p.State().schedule.programBox.size(), 3u);
}

TEST_F(ProgramsDialogTest, CancelLeavesTheTableApplySortsItAndSaveWritesIt) {
  Program& p = Started(kTables, kCelsiusUser);
  const std::vector<ProgramRow> before = p.State().schedule.programRows;
  ProgramsDialog cancelled = OpenProgramsDialog(p.State());
  AddProgramStep(cancelled, "WEEK", "05:00", "19");
  EXPECT_EQ(p.State().schedule.programRows.size(), before.size());

  ProgramsDialog dialog = OpenProgramsDialog(p.State());
  AddProgramStep(dialog, "WEEK", "*END [Prog.]", "");
  AddProgramStep(dialog, "WEEK", "05:00", "19");
  ASSERT_EQ(ApplyPrograms(p, dialog, true), std::nullopt);
  EXPECT_EQ(
      ReadFileBytes(DataFile("PROGRAMS.prg")),
      "END,08:00,19\r\nWEEK,05:00,19\r\nWEEK,06:30,21\r\nWEEK,22:30,ECO\r\nWEEK,WAKE,21\r\nWEEK,END,\r\n");
  EXPECT_EQ(ScheduleFileText(p.State().schedule, kProgramsKind), ReadFileBytes(DataFile("PROGRAMS.prg")));
}

TEST_F(ProgramsDialogTest, ADayBeyondTwentyNineStepsIsRefusedHandOversIncluded) {
  std::string rows;
  for (int hour = 0; hour < 20; ++hour)
    rows += "LONG," + std::string(hour < 10 ? "0" : "") + std::to_string(hour) + ":00,20\r\n";
  for (int hour = 0; hour < 9; ++hour) rows += "TAIL,0" + std::to_string(hour) + ":30,18\r\n";
  ProgramsDialog dialog = OpenProgramsDialog(Started({{"PROGRAMS.prg", rows}}, kCelsiusUser).State());
  EXPECT_EQ(Caption(AddProgramStep(dialog, "LONG", "*TAIL [Prog.]", "")), "");  // 29 slots
  EXPECT_EQ(Caption(AddProgramStep(dialog, "TAIL", "09:30", "18")), "TOO MANY STEPS");
  EXPECT_EQ(Caption(AddProgramStep(dialog, "TAIL", "08:30", "17")), "");  // a replacement adds none
}

TEST_F(ProgramsDialogTest, AnApplyBasedOnATableAnotherPageChangedIsRefused) {
  Program& p = Started(kTables, kCelsiusUser);
  ProgramsDialog first = OpenProgramsDialog(p.State());
  ProgramsDialog second = OpenProgramsDialog(p.State());
  AddProgramStep(first, "WEEK", "05:00", "19");
  AddProgramStep(second, "WEEK", "05:30", "19");
  ASSERT_EQ(ApplyPrograms(p, first, false), std::nullopt);
  auto refusal = ApplyPrograms(p, second, false);
  ASSERT_TRUE(refusal);
  EXPECT_EQ(refusal->caption, "CHANGED ELSEWHERE");
  EXPECT_EQ(p.State().schedule.programRows.size(), 5u);
  EXPECT_EQ(second.rows, p.State().schedule.programRows);
  EXPECT_EQ(ApplyPrograms(p, second, false), std::nullopt);
}

// A step Add refuses is refused, forged into the working copy, by Apply and
// SAVE too, and nothing is stored or written. A step that the table holds
// already passes as it stands: the label it names went after it was stored.
TEST_F(ProgramsDialogTest, AStepAddRefusesIsRefusedInAForgedCopyTooAndNothingIsStored) {
  const std::string programs = kTables.at("PROGRAMS.prg") + "END,09:00,GONE\r\n";
  Program& p =
      Started({{"PROGRAMS.prg", programs}, {"HOURS.prg", "WAKE,07:15\r\n"}, {"TEMPS.prg", "ECO,17\r\n"}},
              kCelsiusUser);
  const std::vector<ProgramRow> before = p.State().schedule.programRows;
  const struct {
    ProgramRow row;  // as typed for Add, as stored in the forged copy
    const char* caption;
    const char* added = nullptr;  // what Add says, where it reads the text otherwise
  } cases[] = {
      {{"WEEK", "*", "999"}, "BAD FORMAT", "NOT a VALID LABEL"},
      {{"WEEK", "07:00", "999"}, "NOT a VALID NUMBER"},
      {{"WEEK", "07:00", "4.9"}, "NOT a VALID NUMBER"},
      {{"WEEK", "07:00", "21abc"}, "NOT a VALID NUMBER", ""},
      {{"WEEK", "07:00", ""}, "NOT a VALID NUMBER"},
      {{"WEEK", "07:00", "WARM"}, "NOT a VALID NUMBER"},
      {{"WEEK", "07:00", "2,1"}, "NOT a VALID NAME", "NOT a VALID NUMBER"},
      {{"WEEK", "25:99", "20"}, "BAD FORMAT"},
      {{"WEEK", "7:00", "20"}, "BAD FORMAT"},
      {{"WEEK", "ab:cd", "20"}, "BAD FORMAT"},
      {{"WEEK", "NOWHERE", "20"}, "BAD FORMAT"},
      {{"", "07:00", "20"}, "NO PROGRAM NAME"},
      {{"A,B", "07:00", "20"}, "NOT a VALID NAME"},
      {{std::string(101, 'W'), "07:00", "20"}, "NOT a VALID NAME"},
      {{"WEEK", "WEEK", ""}, "NOT a VALID PROGRAM"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.row.program.substr(0, 8) + "," + c.row.time + "," + c.row.temperature);
    ProgramsDialog dialog = OpenProgramsDialog(p.State());
    if (c.row.time != "END" && c.row.time != "WEEK") {  // Add names a hand-over as the list shows it
      EXPECT_EQ(Caption(AddProgramStep(dialog, c.row.program, c.row.time, c.row.temperature)),
                c.added != nullptr ? c.added : c.caption);
    }
    ASSERT_EQ(Caption(AddProgramStep(dialog, "END", "10:00", "20")), "");
    dialog.rows.push_back(c.row);
    for (bool save : {false, true}) {
      std::optional<MessageBoxRequest> refusal = ApplyPrograms(p, dialog, save);
      ASSERT_TRUE(refusal);
      EXPECT_EQ(refusal->caption, c.caption);
    }
  }
  EXPECT_EQ(p.State().schedule.programRows, before);
  EXPECT_EQ(ReadFileBytes(DataFile("PROGRAMS.prg")), programs);
  // Hand-overs as Add takes and refuses them.
  ProgramsDialog dialog = OpenProgramsDialog(p.State());
  EXPECT_EQ(Caption(AddProgramStep(dialog, "END", "*WEEK [Prog.]", "")), "");
  EXPECT_EQ(Caption(AddProgramStep(dialog, "WEEK", "*END [Prog.]", "")), "NOT a VALID PROGRAM");
  EXPECT_EQ(Caption(AddProgramStep(dialog, "WEEK", "*WEEK [Prog.]", "")), "NOT a VALID PROGRAM");
  EXPECT_EQ(Caption(AddProgramStep(dialog, "WEEK", "*NOWHERE [Prog.]", "")), "NOT a VALID LABEL");
  dialog.rows.push_back({"WEEK", "END", ""});  // a loop: END hands over to WEEK
  EXPECT_EQ(ApplyPrograms(p, dialog, true)->caption, "NOT a VALID PROGRAM");
  dialog.rows.pop_back();
  dialog.rows.push_back({"END", "WAKE", "ECO"});
  dialog.rows.push_back({"END", "24:00", "5"});
  EXPECT_EQ(ApplyPrograms(p, dialog, true), std::nullopt);
  EXPECT_EQ(p.State().schedule.programRows.size(), before.size() + 3);
}

}  // namespace
}  // namespace kelvora::testing
