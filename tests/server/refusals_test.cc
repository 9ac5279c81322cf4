// A page's forged working copy: the answer carries the box, and the tables,
// the files and the window stay as they were. Which rows the dialogs refuse
// is the dialogs' tests' business (tests/Monitor/ui).
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
      {labels, open(1), {"Funday", "WEEKDAY"}, "NOT a VALID LABEL"},
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

}  // namespace
}  // namespace kelvora::testing
