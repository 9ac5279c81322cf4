#include "platform/private_profile.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/memory_file_layer.h"
#include "tests/support/fakes.h"

namespace kelvora {
namespace {

constexpr size_t kWide = 64;

// --- Reading ---------------------------------------------------------------

std::string Get(std::string_view file, std::string_view section, std::string_view key, size_t chars = kWide,
                std::string_view defaultText = "<none>") {
  return GetProfileString(file, section, key, defaultText, chars);
}

TEST(ProfileRead, ReadsTheValueOfAKeyInItsSection) {
  std::string file = "[User]\r\nTemp_Units=0\r\n[System]\r\nTemp_Units=7\r\n";
  EXPECT_EQ(Get(file, "User", "Temp_Units"), "0");
  EXPECT_EQ(Get(file, "System", "Temp_Units"), "7");
}

TEST(ProfileRead, NamesIgnoreTheCaseOfAsciiLettersOnly) {
  EXPECT_EQ(Get("[uSeR]\r\nsun_floor=75%\r\n", "USER", "SUN_Floor"), "75%");
  // 0xC7 and 0xE7 (C and c cedilla) are different names.
  EXPECT_EQ(Get("[\xC7]\r\nA=1\r\n", "\xE7", "A"), "<none>");
}

TEST(ProfileRead, TrimsBlanksAndTabsAroundNamesAndValues) {
  std::string file = "  [ User\t]  \r\n \tKWh_Cost \t=\t 0.12 \t\r\n";
  EXPECT_EQ(Get(file, "User", "KWh_Cost"), "0.12");
}

TEST(ProfileRead, ValueInMatchingQuotesLosesThem) {
  std::string file = "[S]\na=\"x y\"\nb='z'\nc=\"x'\nd=\"\n";
  EXPECT_EQ(Get(file, "S", "a"), "x y");
  EXPECT_EQ(Get(file, "S", "b"), "z");
  EXPECT_EQ(Get(file, "S", "c"), "\"x'");
  EXPECT_EQ(Get(file, "S", "d"), "\"");
}

TEST(ProfileRead, SemicolonLinesAreCommentsButInlineSemicolonsBelongToTheValue) {
  std::string file = "[S]\n  ;a=1\nc=3 ; three\n";
  EXPECT_EQ(Get(file, "S", ";a"), "<none>");
  EXPECT_EQ(Get(file, "S", "c"), "3 ; three");
}

TEST(ProfileRead, KeyLineSplitsAtItsFirstEqualsSign) {
  EXPECT_EQ(Get("[S]\nHP\nHP 1\n", "S", "HP"), "<none>");
  EXPECT_EQ(Get("[S]\na = b = c\n", "S", "a"), "b = c");
}

TEST(ProfileRead, AcceptsCrLfLfAndLoneCrLineEnds) {
  std::string file = "[A]\r\nx=1\r\n[B]\ny=2\n[C]\rz=3\r[D]\r\n";
  EXPECT_EQ(Get(file, "A", "x"), "1");
  EXPECT_EQ(Get(file, "B", "y"), "2");
  EXPECT_EQ(Get(file, "C", "z"), "3");
}

TEST(ProfileRead, KeysBeforeTheFirstHeaderBelongToNoSection) {
  EXPECT_EQ(Get("k=0\n[S]\nk=1\n", "S", "k"), "1");
  EXPECT_EQ(Get("k=0\n[S]\n", "", "k"), "<none>");
}

TEST(ProfileRead, BracketWithoutCloseIsNotAHeader) {
  // "[S" stays inside [T]; a line with '=' in it is a key of [T].
  std::string file = "[T]\n[S\nk=1\n[S=2\n";
  EXPECT_EQ(Get(file, "T", "k"), "1");
  EXPECT_EQ(Get(file, "T", "[S"), "2");
  EXPECT_EQ(Get(file, "S", "k"), "<none>");
}

TEST(ProfileRead, QuotesGoBeforeTheValueIsCutToTheReadWidth) {
  EXPECT_EQ(Get("[S]\nk=\"abcdef\"\n", "S", "k", 3), "abc");
}

TEST(ProfileRead, MissingKeyOrSectionGivesTheDefaultWithoutTrailingBlanksCutToTheWidth) {
  EXPECT_EQ(Get("[S]\nk=1\n", "S", "other", kWide, " 0.04  \t"), " 0.04");
  EXPECT_EQ(Get("[T]\nk=1\n", "S", "k"), "<none>");
  EXPECT_EQ(Get("", "S", "k", 4, "0.125"), "0.12");
  EXPECT_EQ(Get("", "S", "k", 0, "0.125"), "");
}

TEST(ProfileRead, EmptyValueIsAValueNotTheDefault) { EXPECT_EQ(Get("[S]\nk=  \n", "S", "k"), ""); }

TEST(ProfileRead, BytesPassThroughUnchanged) {
  std::string file("[S]\nk=a\0b\xE7\xFF\n", 13);
  EXPECT_EQ(Get(file, "S", "k"), std::string("a\0b\xE7\xFF", 5));
}

TEST(ProfileRead, HugeFilesAreReadInLinearTime) {
  // A quadratic scan over these would take minutes.
  std::string manyLines;
  for (int i = 0; i < 200000; ++i) manyLines += "[S]\nkey=value\n";
  EXPECT_EQ(Get(manyLines + "[T]\nk=1\n", "T", "k"), "1");
  std::string oneLine(size_t{20} * 1000 * 1000, '=');
  EXPECT_EQ(Get("[S]\nk" + oneLine, "S", "k", 3), "===");
}

// --- Writing ---------------------------------------------------------------

const auto Set = &SetProfileString;

TEST(ProfileWrite, ReplacedValueKeepsKeyLineAndEveryOtherByte) {
  std::string file = "; settings\r\n[user]\n  temp_units = 1\t; old\n\n[System]\rTemp_Units=5";
  EXPECT_EQ(Set(file, "User", "Temp_Units", "0"),
            "; settings\r\n[user]\n  temp_units = 0\n\n[System]\rTemp_Units=5");
  EXPECT_EQ(Set(file, "System", "Temp_Units", "22"),
            "; settings\r\n[user]\n  temp_units = 1\t; old\n\n[System]\rTemp_Units=22");
}

TEST(ProfileWrite, WritesGoToTheFirstOfDuplicateKeysAndSections) {
  EXPECT_EQ(Set("[S]\nk=1\nk=2\n", "S", "K", "9"), "[S]\nk=9\nk=2\n");
  EXPECT_EQ(Set("[S]\na=1\n[S]\nk=2\n", "S", "k", "3"), "[S]\na=1\nk=3\r\n[S]\nk=2\n");
}

TEST(ProfileWrite, MissingKeyGoesAfterTheLastKeyOfItsSection) {
  std::string file = "[S]\r\na=1\r\n; note\r\nb=2\r\n\r\n; about T\r\n[T]\r\nc=3\r\n";
  EXPECT_EQ(Set(file, "s", "New", "x"),
            "[S]\r\na=1\r\n; note\r\nb=2\r\nNew=x\r\n\r\n; about T\r\n[T]\r\nc=3\r\n");
  EXPECT_EQ(Set("[S]\r\na=1", "S", "b", "2"), "[S]\r\na=1\r\nb=2\r\n");  // a line end first
}

TEST(ProfileWrite, MissingKeyOfSectionWithoutKeysGoesRightAfterHeader) {
  EXPECT_EQ(Set("[S]\n\n[T]\nc=3\n", "S", "k", "1"), "[S]\nk=1\r\n\n[T]\nc=3\n");
}

TEST(ProfileWrite, MissingSectionIsAppendedAfterALineEnd) {
  EXPECT_EQ(Set("[S]\na=1\n", "T", "k", "2"), "[S]\na=1\n[T]\r\nk=2\r\n");
  EXPECT_EQ(Set("[S]\na=1", "T", "k", "2"), "[S]\na=1\r\n[T]\r\nk=2\r\n");
}

TEST(ProfileWrite, LineBreaksInTheValueAreWrittenAsBlanks) {
  std::string file = Set("[User]\r\nLanguage=English\r\n", "User", "Language", "x\r\n[Config]\nHP=1");
  EXPECT_EQ(file, "[User]\r\nLanguage=x  [Config] HP=1\r\n");
  EXPECT_EQ(GetProfileString(file, "Config", "HP", "0", kWide), "0");
}

// --- Through the file layer ------------------------------------------------

class PrivateProfileFileTest : public ::testing::Test {
 protected:
  PrivateProfileFileTest() : files_(handler_), profile_(files_) {
    files_.MakeDirectory("DATA");
    files_.SetCurrentDirectory("DATA");
  }

  void Seed(std::string_view bytes) { ASSERT_TRUE(files_.TryWriteWholeFile(kPath, bytes)); }
  std::string SettingsBytes() const { return files_.FileBytes(kPath).value_or("(none)"); }

  static constexpr std::string_view kPath = "..\\Settings.ini";
  testing::RecordingTrapHandler handler_;
  MemoryFileLayer files_;
  PrivateProfile profile_;
};

TEST_F(PrivateProfileFileTest, MissingOrUnreadableFileReadsTheDefault) {
  EXPECT_EQ(profile_.Read("User", "SUN_Floor", "50%", 5, kPath), "50%");
  Seed("[User]\nCOLD_Mode=1\n");
  files_.InjectFault(FileOp::kOpen, "Settings.ini", 2);
  EXPECT_EQ(profile_.Read("User", "COLD_Mode", "0", 1, kPath), "0");
  EXPECT_TRUE(handler_.errors.empty());
}

TEST_F(PrivateProfileFileTest, AFileThatFailsToReadOnceIsReadAgain) {
  Seed("[System]\nSun_Sensor_Ceil=80%\n");
  files_.InjectFault(FileOp::kOpen, "Settings.ini");
  EXPECT_EQ(profile_.Read("System", "Sun_Sensor_Ceil", "0", 19, kPath), "80%");
}

TEST_F(PrivateProfileFileTest, WriteCreatesTheFileBesideTheDataDirectory) {
  EXPECT_TRUE(profile_.Write("User", "KWh_Cost", "0.125", kPath));
  EXPECT_EQ(SettingsBytes(), "[User]\r\nKWh_Cost=0.125\r\n");
  EXPECT_EQ(profile_.Read("user", "kwh_cost", "0", 4, kPath), "0.12");
}

TEST_F(PrivateProfileFileTest, WriteKeysAppliesAllKeysInOrderInOneRewrite) {
  const PrivateProfile::Entry entries[] = {{"B", "2"}, {"A", "1"}};
  int writesBefore = files_.Faults().OperationCount(FileOp::kWrite);
  EXPECT_TRUE(profile_.WriteKeys("User", entries, kPath));
  EXPECT_EQ(files_.Faults().OperationCount(FileOp::kWrite), writesBefore + 1);
  EXPECT_EQ(SettingsBytes(), "[User]\r\nB=2\r\nA=1\r\n");
}

TEST_F(PrivateProfileFileTest, FailedWriteOrUnreadableFileLeavesTheFileAsItWasSilently) {
  Seed("[User]\nCOLD_Mode=0\nHP_Cont=1\n");
  files_.InjectFault(FileOp::kWrite, "Settings.ini");
  EXPECT_FALSE(profile_.Write("User", "COLD_Mode", "1", kPath));
  // A file that cannot be read is not replaced by one holding a single key.
  files_.InjectFault(FileOp::kOpen, "Settings.ini");
  EXPECT_FALSE(profile_.Write("User", "COLD_Mode", "1", kPath));
  EXPECT_EQ(SettingsBytes(), "[User]\nCOLD_Mode=0\nHP_Cont=1\n");
  EXPECT_TRUE(handler_.errors.empty());
}

}  // namespace
}  // namespace kelvora
