// What the program refuses when a page sends it something the dialogs and
// the main window would not take: the answer carries the box, and the
// tables, the files and the window stay as they were.
#include <string>
#include <vector>

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

TEST_F(RefusalsTest, AForgedWorkingCopyIsRefusedWithABoxAndNothingIsWritten) {
  Start();
  const char* files[] = {"PROGRAMS.prg", "DAYS.prg", "HOLIDAYS.prg", "HOURS.prg", "TEMPS.prg"};
  std::vector<std::string> before;
  for (const char* name : files) before.push_back(ReadFileBytes(DataFile(name)));
  const Json slots = Snapshot()["slots"];
  const std::string programs = "/api/dialogs/programs", labels = "/api/dialogs/labels";
  auto open = [](int mode) { return Json{{"action", "open"}, {"mode", mode}}; };
  const Json opened = Answer(programs, {{"action", "open"}})["dialog"]["rows"];
  const struct {
    const std::string& path;
    Json open, row;
    const char* caption;
  } cases[] = {
      {programs, {{"action", "open"}}, {"WEEKDAY", "*", "999"}, "BAD FORMAT"},
      {programs, {{"action", "open"}}, {"WEEKDAY", "09:00", "999"}, "NOT a VALID NUMBER"},
      {programs, {{"action", "open"}}, {"WEEKDAY", "25:99", "20"}, "BAD FORMAT"},
      {programs, {{"action", "open"}}, {"WEEKDAY", "09:00", ""}, "NOT a VALID NUMBER"},
      {labels, open(1), {"Funday", "WEEKDAY"}, "NOT a VALID LABEL"},
      {labels, open(2), {"**/13/45", ""}, "BAD FORMAT"},
      {labels, open(2), {"**/07/04", "NOWHERE"}, "NOT a VALID LABEL"},
      {labels, open(3), {"LATE", "25:99"}, "BAD FORMAT"},
      {labels, open(4), {"HOT", "500"}, "NOT a VALID NUMBER"},
  };
  for (const auto& c : cases) ExpectRefused(c.path, c.open, c.row, c.caption);
  for (size_t i = 0; i < before.size(); ++i)
    EXPECT_EQ(ReadFileBytes(DataFile(files[i])), before[i]) << files[i];
  EXPECT_EQ(Answer(programs, {{"action", "open"}})["dialog"]["rows"], opened);
  EXPECT_EQ(Answer(labels, open(4))["dialog"]["rows"],
            Json::parse(R"([["COMFORT","21"],["ECO","19"],["SETBACK","17"]])"));
  EXPECT_EQ(Snapshot()["slots"], slots);
}

TEST_F(RefusalsTest, ModifyRefusesWhatTheSchedulesWouldNotTakeWithItsBox) {
  Start();
  const Json slots = Snapshot()["slots"];
  const std::string temp = "TEMP Must be a Number between:  5\u00b0C and 30\u00b0C";
  const std::string time = "'FROM Time' Must Use Format: HH:MM (24:00)";
  const struct {
    std::string name, fromTime, fromTemp, caption, text;
  } cases[] = {
      {"WEEKDAY", "", "99", "NOT a VALID NUMBER", temp},
      {"WEEKDAY", "", "1e9", "NOT a VALID NUMBER", temp},
      {"WEEKDAY", "", ".", "NOT a VALID NUMBER", temp},
      {"WEEKDAY", "99:99", "", "BAD FORMAT", time},
      {"WEEKDAY", "ab:cd", "", "BAD FORMAT", time},
      {std::string(120, 'W'), "", "", "NOT a VALID NAME",
       "NAMES and VALUES Must NOT be longer than 100 Characters"},
  };
  for (const auto& c : cases) {
    Json answer = Modify(c.name, c.fromTime, c.fromTemp);
    EXPECT_EQ(answer["ok"], false) << answer;
    ASSERT_EQ(answer["boxes"].size(), 1u) << answer;
    EXPECT_EQ(answer["boxes"][0]["caption"], c.caption);
    EXPECT_EQ(answer["boxes"][0]["text"], c.text);
  }
  EXPECT_EQ(Snapshot()["slots"], slots);
}

}  // namespace
}  // namespace kelvora::testing
