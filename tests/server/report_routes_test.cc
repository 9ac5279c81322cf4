#include "server/report_routes.h"

#include "tests/server/server_fixture.h"

namespace kelvora::testing {
namespace {

TEST(DesktopBodyTest, TakesAViewportAndRefusesTheRest) {
  Parsed<Desktop> viewport = ParseDesktopBody(R"({"width":1920,"height":1080,"depth":24})");
  ASSERT_TRUE(viewport.value) << viewport.error;
  EXPECT_EQ(viewport.value->width, 1920);
  EXPECT_EQ(viewport.value->depth, 24);
  EXPECT_EQ(ParseDesktopBody(R"({"width":1920,"height":1080})").error,
            "\"depth\" must be a whole number from 1 to 64");
  EXPECT_FALSE(ParseDesktopBody(R"({"width":0,"height":1080,"depth":8})").value);
  EXPECT_FALSE(ParseDesktopBody(R"({"width":1.5,"height":1080,"depth":8})").value);
  EXPECT_FALSE(ParseDesktopBody(R"([1920,1080,8])").value);
  EXPECT_FALSE(ParseDesktopBody("not json").value);
}

class ReportRoutesTest : public ServerFixture {};

TEST_F(ReportRoutesTest, ListsCurvesAndCsvAreServedAndAGraphNeedsTheToken) {
  Start();
  auto list = Client()->Get("/api/lists/1");
  ASSERT_TRUE(list);
  EXPECT_EQ(list->status, 200);
  nlohmann::json cycles = nlohmann::json::parse(list->body);
  EXPECT_EQ(cycles["title"], "Heating Cycles");
  EXPECT_EQ(cycles["columns"][3]["title"], "Int. Temp  ");
  EXPECT_EQ(cycles["rows"].back()[0], "========");
  EXPECT_EQ(Client()->Get("/api/lists/4")->status, 404);

  const std::string viewport = R"({"width":1920,"height":1080,"depth":24})";
  EXPECT_EQ(Client()->Post("/api/graphs/preheat", viewport, "application/json")->status, 403);
  EXPECT_EQ(Post("/api/graphs/preheat", R"({"width":-1})")->status, 400);
  auto graph = Post("/api/graphs/drop", viewport);
  ASSERT_TRUE(graph);
  EXPECT_EQ(graph->status, 200);
  nlohmann::json drawing = nlohmann::json::parse(graph->body);
  EXPECT_EQ(drawing["mode"], 21);
  EXPECT_EQ(drawing["texts"][0]["text"], "\u00B0C  (+10\u00B0C)");
  EXPECT_EQ(Post("/api/graphs/closed", "{}")->status, 200);

  auto csv = Client()->Get("/api/season/days.csv");
  ASSERT_TRUE(csv);
  EXPECT_EQ(csv->get_header_value("Content-Type"), "text/csv; charset=utf-8");
  EXPECT_EQ(csv->body.substr(0, 15), "file,date,heati");
  EXPECT_EQ(nlohmann::json::parse(Client()->Get("/api/status-screen")->body)["rows"].size(), 25u);
  EXPECT_NE(Client()->Get("/lib/chart.js")->body.find("Chart.js v3"), std::string::npos);
}

}  // namespace
}  // namespace kelvora::testing
