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

struct ReadRow {
  const char* what;
  std::string file;
  const char* section;
  const char* key;
  std::string value;  // "<none>": the default
  size_t chars = kWide;
  const char* defaultText = "<none>";
};

const ReadRow kReads[] = {
    {"a key in its section", "[User]\r\nTemp_Units=0\r\n[System]\r\nTemp_Units=7\r\n", "System", "Temp_Units",
     "7"},
    {"names ignore the case of ASCII letters", "[uSeR]\r\nsun_floor=75%\r\n", "USER", "SUN_Floor", "75%"},
    {"only of ASCII letters: C and c cedilla differ", "[\xC7]\r\nA=1\r\n", "\xE7", "A", "<none>"},
    {"blanks and tabs around names and values go", "  [ User\t]  \r\n \tKWh_Cost \t=\t 0.12 \t\r\n", "User",
     "KWh_Cost", "0.12"},
    {"matching double quotes go", "[S]\na=\"x y\"\n", "S", "a", "x y"},
    {"matching single quotes go", "[S]\nb='z'\n", "S", "b", "z"},
    {"quotes that differ stay", "[S]\nc=\"x'\n", "S", "c", "\"x'"},
    {"a lone quote stays", "[S]\nd=\"\n", "S", "d", "\""},
    {"a semicolon line is a comment", "[S]\n  ;a=1\n", "S", ";a", "<none>"},
    {"an inline semicolon belongs to the value", "[S]\nc=3 ; three\n", "S", "c", "3 ; three"},
    {"a line without equals sign is no key", "[S]\nHP\nHP 1\n", "S", "HP", "<none>"},
    {"a key line splits at its first equals sign", "[S]\na = b = c\n", "S", "a", "b = c"},
    {"LF line ends", "[A]\r\nx=1\r\n[B]\ny=2\n[C]\rz=3\r[D]\r\n", "B", "y", "2"},
    {"lone CR line ends", "[A]\r\nx=1\r\n[B]\ny=2\n[C]\rz=3\r[D]\r\n", "C", "z", "3"},
    {"keys before the first header belong to no section", "k=0\n[S]\nk=1\n", "S", "k", "1"},
    {"not even the empty one", "k=0\n[S]\n", "", "k", "<none>"},
    {"a bracket without close is no header", "[T]\n[S\nk=1\n[S=2\n", "T", "k", "1"},
    {"but a key where it has an equals sign", "[T]\n[S\nk=1\n[S=2\n", "T", "[S", "2"},
    {"and no section", "[T]\n[S\nk=1\n", "S", "k", "<none>"},
    {"quotes go before the cut to the width", "[S]\nk=\"abcdef\"\n", "S", "k", "abc", 3},
    {"the default loses its trailing blanks", "[S]\nk=1\n", "S", "other", " 0.04", kWide, " 0.04  \t"},
    {"a missing section gives the default", "[T]\nk=1\n", "S", "k", "<none>"},
    {"the default is cut to the width", "", "S", "k", "0.12", 4, "0.125"},
    {"to nothing at width 0", "", "S", "k", "", 0, "0.125"},
    {"an empty value is a value", "[S]\nk=  \n", "S", "k", ""},
    {"bytes pass through unchanged", std::string("[S]\nk=a\0b\xE7\xFF\n", 13), "S", "k",
     std::string("a\0b\xE7\xFF", 5)},
};

TEST(ProfileRead, EveryCaseOfTheTableReadsItsValue) {
  for (const ReadRow& row : kReads) {
    EXPECT_EQ(Get(row.file, row.section, row.key, row.chars, row.defaultText), row.value) << row.what;
  }
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

struct WriteRow {
  const char* what;
  std::string file, section, key, value, written;
};

const WriteRow kWrites[] = {
    {"a replaced value keeps its key line and every other byte",
     "; settings\r\n[user]\n  temp_units = 1\t; old\n\n[System]\rTemp_Units=5", "User", "Temp_Units", "0",
     "; settings\r\n[user]\n  temp_units = 0\n\n[System]\rTemp_Units=5"},
    {"in any section", "; settings\r\n[user]\n  temp_units = 1\t; old\n\n[System]\rTemp_Units=5", "System",
     "Temp_Units", "22", "; settings\r\n[user]\n  temp_units = 1\t; old\n\n[System]\rTemp_Units=22"},
    {"the first of duplicate keys", "[S]\nk=1\nk=2\n", "S", "K", "9", "[S]\nk=9\nk=2\n"},
    {"the first of duplicate sections", "[S]\na=1\n[S]\nk=2\n", "S", "k", "3", "[S]\na=1\nk=3\r\n[S]\nk=2\n"},
    {"a missing key goes after the last key of its section",
     "[S]\r\na=1\r\n; note\r\nb=2\r\n\r\n; about T\r\n[T]\r\nc=3\r\n", "s", "New", "x",
     "[S]\r\na=1\r\n; note\r\nb=2\r\nNew=x\r\n\r\n; about T\r\n[T]\r\nc=3\r\n"},
    {"after a line end", "[S]\r\na=1", "S", "b", "2", "[S]\r\na=1\r\nb=2\r\n"},
    {"right after the header of a section without keys", "[S]\n\n[T]\nc=3\n", "S", "k", "1",
     "[S]\nk=1\r\n\n[T]\nc=3\n"},
    {"a missing section is appended", "[S]\na=1\n", "T", "k", "2", "[S]\na=1\n[T]\r\nk=2\r\n"},
    {"after a line end", "[S]\na=1", "T", "k", "2", "[S]\na=1\r\n[T]\r\nk=2\r\n"},
};

TEST(ProfileWrite, EveryCaseOfTheTableWritesItsFile) {
  for (const WriteRow& row : kWrites) {
    EXPECT_EQ(SetProfileString(row.file, row.section, row.key, row.value), row.written) << row.what;
  }
}

TEST(ProfileWrite, LineBreaksInTheValueAreWrittenAsBlanks) {
  std::string file =
      SetProfileString("[User]\r\nLanguage=English\r\n", "User", "Language", "x\r\n[Config]\nHP=1");
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

// A file that fails to read once is read again.
TEST_F(PrivateProfileFileTest, AMissingOrUnreadableFileReadsTheDefaultSilently) {
  EXPECT_EQ(profile_.Read("User", "SUN_Floor", "50%", 5, kPath), "50%");
  Seed("[User]\nCOLD_Mode=1\n");
  files_.InjectFault(FileOp::kOpen, "Settings.ini", 2);
  EXPECT_EQ(profile_.Read("User", "COLD_Mode", "0", 1, kPath), "0");
  files_.InjectFault(FileOp::kOpen, "Settings.ini");
  EXPECT_EQ(profile_.Read("User", "COLD_Mode", "0", 1, kPath), "1");
  EXPECT_TRUE(handler_.errors.empty());
}

// The file is made beside the data directory; several keys are applied in
// order in one rewrite.
TEST_F(PrivateProfileFileTest, WriteKeysAppliesAllKeysInOrderInOneRewrite) {
  EXPECT_TRUE(profile_.Write("User", "KWh_Cost", "0.125", kPath));
  const PrivateProfile::Entry entries[] = {{"B", "2"}, {"A", "1"}};
  int writesBefore = files_.Faults().OperationCount(FileOp::kWrite);
  EXPECT_TRUE(profile_.WriteKeys("User", entries, kPath));
  EXPECT_EQ(files_.Faults().OperationCount(FileOp::kWrite), writesBefore + 1);
  EXPECT_EQ(SettingsBytes(), "[User]\r\nKWh_Cost=0.125\r\nB=2\r\nA=1\r\n");
}

// A file that cannot be read is not replaced by one holding a single key.
TEST_F(PrivateProfileFileTest, FailedWriteOrUnreadableFileLeavesTheFileAsItWasSilently) {
  Seed("[User]\nCOLD_Mode=0\nHP_Cont=1\n");
  files_.InjectFault(FileOp::kWrite, "Settings.ini");
  EXPECT_FALSE(profile_.Write("User", "COLD_Mode", "1", kPath));
  files_.InjectFault(FileOp::kOpen, "Settings.ini");
  EXPECT_FALSE(profile_.Write("User", "COLD_Mode", "1", kPath));
  EXPECT_EQ(SettingsBytes(), "[User]\nCOLD_Mode=0\nHP_Cont=1\n");
  EXPECT_TRUE(handler_.errors.empty());
}

}  // namespace
}  // namespace kelvora
