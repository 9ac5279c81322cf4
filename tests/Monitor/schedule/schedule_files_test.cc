#include "Monitor/schedule/schedule_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/posix_file_layer.h"
#include "tests/support/fakes.h"

namespace kelvora {
namespace {

using testing::ReadFileBytes;
using testing::RecordingTrapHandler;
using testing::TempDir;
using testing::WriteFileBytes;

using Fields = std::vector<std::string>;
using namespace std::string_literals;

// Rows as lists of fields, so that every table compares alike.
Fields RowsOf(const ScheduleState& s, uint8_t kind) {
  Fields out;
  auto add = [&](auto... field) { (out.push_back(field), ...); };
  if (kind == kProgramsKind)
    for (const auto& r : s.programRows) add(r.program, r.time, r.temperature);
  if (kind == kDaysKind)
    for (const auto& r : s.dayRows) add(r.day, r.program);
  if (kind == kHolidaysKind)
    for (const auto& r : s.holidayRows) add(r.date, r.program);
  if (kind == kHoursKind)
    for (const auto& r : s.hourLabels) add(r.name, r.value);
  if (kind == kTempsKind)
    for (const auto& r : s.tempLabels) add(r.name, r.value);
  return out;
}

ScheduleState SampleTables() {
  ScheduleState s;
  s.programRows = {{"WEEK", "06:30", "21"}, {"CONG\xC9", "WAKE", "COMFORT"}, {"WEEK", "LATE", ""}};
  s.dayRows = {{"Monday", "WEEK"}, {"DIMANCHE", "CONG\xC9"}};
  s.holidayRows = {{"**/12/25", ""}, {"19/06/15", "WEEK"}};
  s.hourLabels = {{"WAKE", "06:15"}};
  s.tempLabels = {{"COMFORT", "21.5"}, {"ECO", "17"}};
  return s;
}

class ScheduleFilesTest : public ::testing::Test {
 protected:
  ScheduleFilesTest() : files(handler, &faults) { files.SetCurrentDirectory(dir.path()); }

  void WriteAll(const std::string& bytes) {
    for (uint8_t kind = 0; kind <= kTempsKind; ++kind) WriteFileBytes(dir.File(Name(kind)), bytes);
  }
  std::string Name(uint8_t kind) { return std::string(ScheduleFileName(kind)); }

  TempDir dir;
  RecordingTrapHandler handler;
  FileFaults faults;
  PosixFileLayer files;
};

TEST_F(ScheduleFilesTest, EveryKindWrittenReadsBackIdenticallyAndAnUnknownKindWritesNothing) {
  ScheduleState saved = SampleTables();
  SaveScheduleFile(files, saved, 5);
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
  SaveScheduleFile(files, saved, kHolidaysKind);
  EXPECT_EQ(ReadFileBytes(dir.File("HOLIDAYS.prg")), "**/12/25,\r\n19/06/15,WEEK\r\n");  // unquoted, CR LF
  EXPECT_FALSE(std::filesystem::exists(dir.File("DAYS.prg")));
  for (uint8_t kind = 0; kind <= kTempsKind; ++kind) SaveScheduleFile(files, saved, kind);
  ScheduleState loaded;
  LoadScheduleFiles(files, loaded);
  for (uint8_t kind = 0; kind <= kTempsKind; ++kind)
    EXPECT_EQ(RowsOf(loaded, kind), RowsOf(saved, kind)) << Name(kind);
  EXPECT_TRUE(handler.errors.empty());
}

TEST_F(ScheduleFilesTest, MissingFilesAreTrappedErrorTwoInLoadOrder) {
  ScheduleState s;
  LoadScheduleFiles(files, s);
  std::vector<std::string> order;
  for (const TrappedError& error : handler.errors) {
    EXPECT_EQ(error.number, kFileNotFound);
    order.push_back(
        std::filesystem::path(error.detail.substr(0, error.detail.find(':'))).filename().string());
  }
  EXPECT_EQ(order,
            (std::vector<std::string>{"HOLIDAYS.prg", "PROGRAMS.prg", "DAYS.prg", "HOURS.prg", "TEMPS.prg"}));
}

// A skipped open or read keeps the table as it was, not part of the file;
// the files that could be read replace theirs.
TEST_F(ScheduleFilesTest, ASkippedOpenOrReadKeepsTheTableAsItWas) {
  WriteAll("A,06:00\r\nC,07:00\r\nE,08:00\r\n");
  std::filesystem::remove(dir.File("DAYS.prg"));
  faults.InjectFault(FileOp::kRead, "TEMPS.prg", 1, 1);
  ScheduleState s = SampleTables();
  LoadScheduleFiles(files, s);
  EXPECT_EQ(RowsOf(s, kDaysKind), RowsOf(SampleTables(), kDaysKind));
  EXPECT_EQ(RowsOf(s, kTempsKind), RowsOf(SampleTables(), kTempsKind));
  EXPECT_EQ(s.hourLabels.size(), 3u);
  ASSERT_EQ(handler.errors.size(), 2u);
  EXPECT_EQ(handler.errors[1].number, kFileIoError);
}

// The editors store any "24:mm" as "24:00"; nothing later than it is a
// time. A hand-over's temperature is never used: its "0" is no fault.
TEST_F(ScheduleFilesTest, HandEditedRowsWithAnImpossibleTimeOrTemperatureAreSkippedAndSaidSo) {
  WriteAll("");
  const std::string programs =
      "WEEK,06:30,21\r\nWEEK,6:30,21\r\nWEEK,22:00,210\r\nWEEK,LATE,0\r\nWEEK,24:00,17\r\nWEEK,24:01,"
      "17\r\nLATE,23:00,16\r\n";
  WriteFileBytes(dir.File("PROGRAMS.prg"), programs);
  WriteFileBytes(dir.File("HOURS.prg"), "WAKE,7:00\r\nMIDNIGHT,24:00\r\nLATE,24:30\r\n");
  WriteFileBytes(dir.File("TEMPS.prg"), "COMFORT,21.5\r\nHOT,45\r\n");
  ScheduleState s;
  EXPECT_EQ(LoadScheduleFiles(files, s),
            "PROGRAMS.prg row 2 (WEEK,6:30,21): the time is not hh:mm; the row is skipped.\n"
            "PROGRAMS.prg row 3 (WEEK,22:00,210): the temperature is not a number from 5 to 30; the row is "
            "skipped.\n"
            "PROGRAMS.prg row 6 (WEEK,24:01,17): the time is not hh:mm; the row is skipped.\n"
            "HOURS.prg row 1 (WAKE,7:00): the time is not hh:mm; the row is skipped.\n"
            "HOURS.prg row 3 (LATE,24:30): the time is not hh:mm; the row is skipped.\n"
            "TEMPS.prg row 2 (HOT,45): the temperature is not a number from 5 to 30; the row is skipped.\n");
  EXPECT_EQ(RowsOf(s, kProgramsKind), (Fields{"WEEK", "06:30", "21", "WEEK", "LATE", "0", "WEEK", "24:00",
                                              "17", "LATE", "23:00", "16"}));
  EXPECT_EQ(RowsOf(s, kHoursKind), (Fields{"MIDNIGHT", "24:00"}));
  EXPECT_EQ(RowsOf(s, kTempsKind), (Fields{"COMFORT", "21.5"}));
  EXPECT_EQ(ReadFileBytes(dir.File("PROGRAMS.prg")), programs);
}

TEST_F(ScheduleFilesTest, AnEmptyFileGivesNoRows) {
  WriteAll("");
  ScheduleState s = SampleTables();
  LoadScheduleFiles(files, s);
  for (uint8_t kind = 0; kind <= kTempsKind; ++kind) EXPECT_TRUE(RowsOf(s, kind).empty()) << Name(kind);
}

TEST_F(ScheduleFilesTest, ALoaderStopsAtTheTableCapacity) {
  std::string lines;
  for (int i = 1; i <= 250; ++i) lines += "P" + std::to_string(i) + ",06:00,20\r\n";
  WriteAll(lines);
  ScheduleState s;
  LoadScheduleFiles(files, s);
  ASSERT_EQ(s.programRows.size(), kProgramRowCapacity);
  EXPECT_EQ(s.programRows.back().program, "P200");
  ASSERT_EQ(s.dayRows.size(), kScheduleRowCapacity);
  EXPECT_EQ(s.dayRows.back().day, "P100");
}

TEST(ReadScheduleText, EmptyLinesAddNoRowTheLastNeedsNoLineEndAndExtraFieldsStay) {
  ScheduleState s;
  ReadScheduleText(kDaysKind, "Monday,WEEK\r\n\r\nSunday,REST\r\n\r\n", s);
  EXPECT_EQ(RowsOf(s, kDaysKind), (Fields{"Monday", "WEEK", "Sunday", "REST"}));
  ReadScheduleText(kDaysKind, "Monday,WEEK\nSunday,REST", s);
  EXPECT_EQ(RowsOf(s, kDaysKind), (Fields{"Monday", "WEEK", "Sunday", "REST"}));
  ReadScheduleText(kDaysKind, "Monday,WEEK,extra,\r\n", s);
  EXPECT_EQ(ScheduleFileText(s, kDaysKind), "Monday,WEEK,extra,\r\n");
}

TEST(SplitScheduleLine, GivesExactlyTheRowsFields) {
  const struct {
    std::string line;
    Fields fields;
  } cases[] = {
      {"WEEK,06:30,21", {"WEEK", "06:30", "21"}},
      {"WEEK,06:30", {"WEEK", "06:30", ""}},  // missing fields are empty
      {"", {"", "", ""}},
      {"  WEEK,   06:30,21 ", {"WEEK", "06:30", "21 "}},  // leading blanks only
      {"\"A, B\",06:30,21", {"A, B", "06:30", "21"}},
      {" \"A,B\"C,06:30,21", {"A,BC", "06:30", "21"}},
      {"\"WEEK,06:30,21", {"\"WEEK", "06:30", "21"}},  // no closing quote
      {"WE\"EK,06:30,\"21", {"WE\"EK", "06:30", "\"21"}},
      {"WEEK,06:30,21,9,x", {"WEEK", "06:30", "21,9,x"}},
      {"\xC9T\xC9,\0:30,21\r"s, {"\xC9T\xC9", "\0:30"s, "21\r"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitScheduleLine(c.line, 3), c.fields) << c.line;
}

}  // namespace
}  // namespace kelvora
