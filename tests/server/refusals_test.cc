// What the program refuses when a page sends it something the dialogs and
// the main window would not take: the answer carries the box, and the
// tables, the files and the window stay as they were.
#include <string>

#include "tests/server/server_fixture.h"

namespace kelvora::testing {
namespace {

using Json = nlohmann::json;

class RefusalsTest : public ServerFixture {
 protected:
  Json Answer(const std::string& path, const Json& body) {
    auto reply = Post(path, body.dump());
    EXPECT_TRUE(reply);
    if (!reply) return Json::object();
    EXPECT_EQ(reply->status, 200) << reply->body;
    return Json::parse(reply->body);
  }

  // The dialog as "open" gives it, with `row` added to its working copy.
  Json Forged(const std::string& path, Json open, const Json& row) {
    Json dialog = Answer(path, open)["dialog"];
    dialog["rows"].push_back(row);
    return dialog;
  }

  // Apply and SAVE of the forged copy: each refused with `caption`.
  void ExpectRefused(const std::string& path, const Json& open, const Json& row, const std::string& caption) {
    for (const char* action : {"apply", "save"}) {
      Json answer = Answer(path, {{"action", action}, {"dialog", Forged(path, open, row)}});
      ASSERT_TRUE(answer.contains("box")) << row << " " << action;
      EXPECT_EQ(answer["box"]["caption"], caption) << row << " " << action;
      EXPECT_EQ(answer["closed"], false) << row << " " << action;
    }
  }

  Json Modify(const std::string& name, const std::string& fromTime, const std::string& fromTemp) {
    return Answer(
        "/api/slots/modify",
        {{"program", name}, {"fromTime", fromTime}, {"toTime", ""}, {"fromTemp", fromTemp}, {"toTemp", ""}});
  }
};

TEST_F(RefusalsTest, AForgedProgramsWorkingCopyIsRefusedWithABoxAndNothingIsWritten) {
  Start();
  const std::string file = ReadFileBytes(DataFile("PROGRAMS.prg"));
  const Json opened = Answer("/api/dialogs/programs", {{"action", "open"}})["dialog"]["rows"];
  const Json slots = Snapshot()["slots"];
  const std::string path = "/api/dialogs/programs";
  const Json open = {{"action", "open"}};
  ExpectRefused(path, open, {"WEEKDAY", "*", "999"}, "BAD FORMAT");
  ExpectRefused(path, open, {"WEEKDAY", "09:00", "999"}, "NOT a VALID NUMBER");
  ExpectRefused(path, open, {"WEEKDAY", "25:99", "20"}, "BAD FORMAT");
  ExpectRefused(path, open, {"WEEKDAY", "09:00", ""}, "NOT a VALID NUMBER");
  EXPECT_EQ(ReadFileBytes(DataFile("PROGRAMS.prg")), file);
  EXPECT_EQ(Answer(path, open)["dialog"]["rows"], opened);
  EXPECT_EQ(Snapshot()["slots"], slots);
}

TEST_F(RefusalsTest, AForgedLabelsWorkingCopyIsRefusedWithABoxAndNothingIsWritten) {
  Start();
  const char* files[] = {"DAYS.prg", "HOLIDAYS.prg", "HOURS.prg", "TEMPS.prg"};
  std::vector<std::string> before;
  for (const char* name : files) before.push_back(ReadFileBytes(DataFile(name)));
  const std::string path = "/api/dialogs/labels";
  auto open = [](int mode) { return Json{{"action", "open"}, {"mode", mode}}; };
  ExpectRefused(path, open(1), {"Funday", "WEEKDAY"}, "NOT a VALID LABEL");
  ExpectRefused(path, open(2), {"**/13/45", ""}, "BAD FORMAT");
  ExpectRefused(path, open(2), {"**/07/04", "NOWHERE"}, "NOT a VALID LABEL");
  ExpectRefused(path, open(3), {"LATE", "25:99"}, "BAD FORMAT");
  ExpectRefused(path, open(4), {"HOT", "500"}, "NOT a VALID NUMBER");
  for (size_t i = 0; i < before.size(); ++i)
    EXPECT_EQ(ReadFileBytes(DataFile(files[i])), before[i]) << files[i];
  EXPECT_EQ(Answer(path, open(4))["dialog"]["rows"],
            Json::parse(R"([["COMFORT","21"],["ECO","19"],["SETBACK","17"]])"));
}

TEST_F(RefusalsTest, ModifyRefusesATemperatureOrTimeTheSchedulesWouldNotTakeWithItsBox) {
  Start();
  const Json slots = Snapshot()["slots"];
  const struct {
    std::string fromTime, fromTemp, caption, text;
  } cases[] = {
      {"", "99", "NOT a VALID NUMBER", "TEMP Must be a Number between:  5\u00b0C and 30\u00b0C"},
      {"", "1e9", "NOT a VALID NUMBER", "TEMP Must be a Number between:  5\u00b0C and 30\u00b0C"},
      {"", ".", "NOT a VALID NUMBER", "TEMP Must be a Number between:  5\u00b0C and 30\u00b0C"},
      {"99:99", "", "BAD FORMAT", "'FROM Time' Must Use Format: HH:MM (24:00)"},
      {"ab:cd", "", "BAD FORMAT", "'FROM Time' Must Use Format: HH:MM (24:00)"},
  };
  for (const auto& c : cases) {
    Json answer = Modify("WEEKDAY", c.fromTime, c.fromTemp);
    EXPECT_EQ(answer["ok"], false) << answer;
    ASSERT_EQ(answer["boxes"].size(), 1u) << answer;
    EXPECT_EQ(answer["boxes"][0]["caption"], c.caption);
    EXPECT_EQ(answer["boxes"][0]["text"], c.text);
  }
  EXPECT_EQ(Snapshot()["slots"], slots);
}

TEST_F(RefusalsTest, ModifySaysATooLongProgramNameInTheSchedulesWords) {
  Start();
  Json answer = Modify(std::string(120, 'W'), "", "");
  EXPECT_EQ(answer["ok"], false) << answer;
  ASSERT_EQ(answer["boxes"].size(), 1u) << answer;
  EXPECT_EQ(answer["boxes"][0]["caption"], "NOT a VALID NAME");
  EXPECT_EQ(answer["boxes"][0]["text"], "NAMES and VALUES Must NOT be longer than 100 Characters");
}

}  // namespace
}  // namespace kelvora::testing
