#include "server/report_routes.h"

#include "tests/server/server_fixture.h"

namespace kelvora::testing {
namespace {

TEST(DesktopBodyTest, TakesAViewportAndRefusesTheRest) {
  Parsed<Desktop> viewport = ParseDesktopBody(R"({"width":1920,"height":1080,"depth":24})");
  ASSERT_TRUE(viewport.value) << viewport.error;
  EXPECT_EQ(viewport.value->width + viewport.value->depth, 1920 + 24);
  EXPECT_EQ(ParseDesktopBody(R"({"width":1920,"height":1080})").error,
            "\"depth\" must be a whole number from 1 to 64");
  for (const char* body : {R"({"width":0,"height":1080,"depth":8})",
                           R"({"width":1.5,"height":1080,"depth":8})", "[1920,1080,8]", "not json"})
    EXPECT_FALSE(ParseDesktopBody(body).value) << body;
}

// What the page's lists and graphs show is the browser tests' business; here
// the routes' refusals, the graph's texts in the page's character set and
// the season's type.
class ReportRoutesTest : public ServerFixture {};

TEST_F(ReportRoutesTest, AGraphNeedsTheTokenAndAViewportAndTheSeasonIsServedAsCsv) {
  Start();
  EXPECT_EQ(Client()->Get("/api/lists/4")->status, 404);
  const std::string viewport = R"({"width":1920,"height":1080,"depth":24})";
  EXPECT_EQ(Client()->Post("/api/graphs/preheat", viewport, "application/json")->status, 403);
  EXPECT_EQ(Post("/api/graphs/preheat", R"({"width":-1})")->status, 400);
  auto graph = Post("/api/graphs/drop", viewport);
  ASSERT_TRUE(graph);
  nlohmann::json drawing = nlohmann::json::parse(graph->body);
  EXPECT_EQ(drawing["mode"], 21);
  EXPECT_EQ(drawing["texts"][0]["text"], "\u00B0C  (+10\u00B0C)");
  EXPECT_EQ(Post("/api/graphs/closed", "{}")->status, 200);
  EXPECT_EQ(Client()->Get("/api/season/days.csv")->get_header_value("Content-Type"),
            "text/csv; charset=utf-8");
}

}  // namespace
}  // namespace kelvora::testing
