#include "server/dialog_requests.h"

#include <gtest/gtest.h>

namespace kelvora {
namespace {

using Json = nlohmann::json;

// The answer that shows `dialog` as it stands.
Json AnswerOf(const ProgramsDialog& dialog) {
  ProgramsAction choose;
  choose.kind = ProgramsAction::Kind::kChoose;
  choose.dialog = dialog;
  choose.program = dialog.shown;
  return ProgramsAnswer(ActOnPrograms(nullptr, choose));
}

TEST(DialogRequestsTest, AWorkingCopyComesBackAsItWentOutAccentsIncluded) {
  ProgramsDialog dialog;
  dialog.rows = {{"CONG\xC9", "06:30", "21"}, {"CONG\xC9", "WAKE", ""}};
  dialog.names = {"CONG\xC9"};
  dialog.times = {"*CONG\xC9 [Prog.]", " 06:30"};
  dialog.shown = "CONG\xC9";
  dialog.hourLabels = {{"WAKE", "07:15"}};
  dialog.tempUnits = 1;
  dialog.stamp = "0123456789abcdef";
  nlohmann::json body = AnswerOf(dialog);
  EXPECT_EQ(body["view"]["lines"][1]["cells"][1], "WAKE [07:15]");
  body["action"] = "add";
  body["name"] = "CONG\u00c9";
  Parsed<ProgramsAction> parsed = ParseProgramsRequest(body.dump());
  ASSERT_TRUE(parsed.value) << parsed.error;
  EXPECT_EQ(AnswerOf(*parsed.value->dialog), AnswerOf(dialog));
  EXPECT_EQ(parsed.value->name, "CONG\xC9");
}

TEST(DialogRequestsTest, MalformedBodiesAreRefusedWithTheirReason) {
  const std::pair<const char*, const char*> cases[] = {
      {"[1]", "the body must be a JSON object"},
      {R"({"action":"explode"})", "no action \"explode\" here"},
      {R"({"action":"add"})", "\"dialog\" must be the dialog of the last answer"},
      {R"({"action":"open","mode":5})", "\"mode\" must be a whole number from 1 to 4"},
      {R"({"action":"delete","ticked":[-1],"dialog":{"mode":1,"rows":[],"labels":[],"values":[],"tempUnits":0,"stamp":""}})",
       "\"ticked\" must be a whole number from 0 to 1000"},
      {R"({"action":"add","dialog":{"mode":1,"rows":[["a"]],"labels":[],"values":[],"tempUnits":0,"stamp":""}})",
       "each row of \"rows\" has 2 fields"},
  };
  for (const auto& [body, error] : cases) EXPECT_EQ(ParseLabelsRequest(body).error, error) << body;
  std::string longText(101, 'x');
  EXPECT_EQ(ParseLabelsRequest(R"({"action":"add","dialog":{"mode":3,"rows":[[")" + longText +
                               R"(","07:00"]],"labels":[],"values":[],"tempUnits":0,"stamp":""}})")
                .error,
            "\"rows\" holds at most 100 characters");
  EXPECT_EQ(
      ParseSettingsRequest(R"({"action":"modify","form":{"texts":{"9999":"1"},"ticked":[],"stamp":""}})")
          .error,
      "\"texts\" has no control 9999");
}

// What the person typed is bounded by the body's size only: the dialogs
// refuse a name too long for the schedule files in their own words.
TEST(DialogRequestsTest, ATypedNameOfAnyLengthReachesTheDialogWhichRefusesItInItsWords) {
  Json body = AnswerOf(ProgramsDialog{});
  body.update({{"action", "add"}, {"name", std::string(120, 'W')}, {"time", "07:00"}, {"temp", "20"}});
  Parsed<ProgramsAction> parsed = ParseProgramsRequest(body.dump());
  ASSERT_TRUE(parsed.value) << parsed.error;
  std::optional<MessageBoxRequest> box = ActOnPrograms(nullptr, std::move(*parsed.value)).box;
  ASSERT_TRUE(box);
  EXPECT_EQ(box->caption, "NOT a VALID NAME");
  EXPECT_EQ(box->text, "NAMES and VALUES Must NOT be longer than 100 Characters");
  std::string labels =
      R"({"action":"add","label":")" + std::string(120, 'L') +
      R"(","value":"07:00","dialog":{"mode":3,"rows":[],"labels":[],"values":[],"tempUnits":0,"stamp":""}})";
  Parsed<LabelsAction> label = ParseLabelsRequest(labels);
  ASSERT_TRUE(label.value) << label.error;
  box = ActOnLabels(nullptr, std::move(*label.value)).box;
  ASSERT_TRUE(box);
  EXPECT_EQ(box->caption, "NOT a VALID NAME");
}

}  // namespace
}  // namespace kelvora
