#include "server/report_routes.h"

#include "Monitor/reports/season_view.h"
#include "Monitor/reports/stat_lists.h"
#include "Monitor/reports/step_curve.h"
#include "Monitor/run_parts.h"
#include "server/chart_library.h"

namespace kelvora {
namespace {

constexpr int kLargestViewport = 100000;
constexpr int kDeepestColour = 64;

nlohmann::json ListJson(const StatList& list) {
  nlohmann::json columns = nlohmann::json::array();
  for (const ListColumn& c : list.columns) {
    columns.push_back(
        {{"title", Cp1252ToUtf8(c.title)}, {"width", c.width}, {"align", c.leftAligned ? "left" : "right"}});
  }
  nlohmann::json rows = nlohmann::json::array();
  for (const std::vector<std::string>& row : list.rows) {
    nlohmann::json cells = nlohmann::json::array();
    for (const std::string& cell : row) cells.push_back(Cp1252ToUtf8(cell));
    rows.push_back(std::move(cells));
  }
  return {{"kind", static_cast<int>(list.kind)}, {"title", list.title}, {"widthChange", list.widthChange},
          {"graph", list.graphEnabled},          {"columns", columns},  {"rows", rows}};
}

const char* PartName(CurvePart part) {
  switch (part) {
    case CurvePart::kAxis:
      return "axis";
    case CurvePart::kModel:
      return "model";
    case CurvePart::kMeasured:
      return "measured";
  }
  return "axis";
}

nlohmann::json CurveJson(const CurveDrawing& d) {
  const ScreenDescription& s = d.screen;
  nlohmann::json lines = nlohmann::json::array();
  for (const CurveLine& l : d.lines) {
    lines.push_back({{"x1", l.x1},
                     {"y1", l.y1},
                     {"x2", l.x2},
                     {"y2", l.y2},
                     {"part", PartName(l.part)},
                     {"colour", PaletteColour(s.depth, l.colour)}});
  }
  nlohmann::json texts = nlohmann::json::array();
  for (const CurveText& t : d.texts) {
    texts.push_back({{"row", t.row},
                     {"column", t.column},
                     {"text", Cp437ToUtf8(t.text)},
                     {"colour", PaletteColour(s.depth, t.colour)}});
  }
  return {{"mode", s.mode},       {"width", s.width}, {"height", s.height}, {"depth", s.depth},
          {"columns", s.columns}, {"rows", s.rows},   {"lines", lines},     {"texts", texts}};
}

// Which step rows a graph draws: those of the pre-heat, of the temperature
// drop, or, from a list's "Graph" button, the drop's when there is one.
int LastStepRow(const LearningState& l, const std::string& curve) {
  if (curve == "preheat") return l.stepIndex;
  if (curve == "drop") return l.dropIndex;
  return l.dropIndex >= 0 ? l.dropIndex : l.stepIndex;
}

void ReplyResult(httplib::Response& res, const std::optional<nlohmann::json>& result) {
  if (!result) {
    ReplyError(res, 503, "the program did not answer in time; try again");
    return;
  }
  ReplyJson(res, result->contains("error") ? 400 : 200, *result);
}

}  // namespace

Parsed<Desktop> ParseDesktopBody(std::string_view body) {
  Parsed<Desktop> parsed;
  nlohmann::json json = nlohmann::json::parse(body, nullptr, /*allow_exceptions=*/false);
  if (!json.is_object()) {
    parsed.error = "the body must be a JSON object {\"width\", \"height\", \"depth\"}";
    return parsed;
  }
  Desktop desktop;
  const std::pair<const char*, int32_t*> fields[] = {
      {"width", &desktop.width}, {"height", &desktop.height}, {"depth", &desktop.depth}};
  for (const auto& [name, into] : fields) {
    const nlohmann::json& value = json.contains(name) ? json[name] : nlohmann::json();
    const int limit = std::string_view(name) == "depth" ? kDeepestColour : kLargestViewport;
    if (!value.is_number_integer() || value.get<int64_t>() < 1 || value.get<int64_t>() > limit) {
      parsed.error =
          std::string("\"") + name + "\" must be a whole number from 1 to " + std::to_string(limit);
      return parsed;
    }
    *into = value.get<int32_t>();
  }
  parsed.value = desktop;
  return parsed;
}

void GetStatList(ServerContext& context, const httplib::Request& req, httplib::Response& res) {
  const auto kind = static_cast<ListKind>(std::stoi(req.matches[1].str()));
  ReplyResult(res, OnControlThread(context, [kind](Program& program) {
                return ListJson(BuildStatList(kind, ReportPartsOf(program.State())));
              }));
}

void DrawGraph(ServerContext& context, const httplib::Request& req, httplib::Response& res) {
  Parsed<Desktop> desktop = ParseDesktopBody(req.body);
  if (!desktop.value) {
    ReplyError(res, 400, desktop.error);
    return;
  }
  ReplyResult(res, OnControlThread(
                       context, [curve = req.matches[1].str(), viewport = *desktop.value](Program& program) {
                         const int last = LastStepRow(program.State().learning, curve);
                         return CurveJson(DrawStepCurve(StepCurvePartsOf(program), last, viewport));
                       }));
}

void CloseGraph(ServerContext& context, const httplib::Request&, httplib::Response& res) {
  ReplyResult(res, OnControlThread(context, [](Program& program) {
                program.ShowStatusFrame();
                return nlohmann::json{{"ok", true}};
              }));
}

void GetStatusScreen(ServerContext& context, const httplib::Request&, httplib::Response& res) {
  ReplyJson(res, 200, {{"rows", context.program.StatusScreenRows()}});
}

void GetSeason(ServerContext& context, const httplib::Request&, httplib::Response& res) {
  ReplyResult(res, OnControlThread(context, [](Program& program) {
                SeasonRecords records = ReadSeasonRecords(ReportPartsOf(program.State()), program.Files());
                nlohmann::json days = nlohmann::json::array();
                for (const SeasonDay& day : records.days) {
                  const DayRecord& d = day.record;
                  days.push_back({{"file", day.file},
                                  {"date", d.date},
                                  {"hours", d.heatingSeconds / 3600},
                                  {"energy", d.energy},
                                  {"cost", day.cost},
                                  {"exteriorMean", d.exteriorMean}});
                }
                nlohmann::json preheats = nlohmann::json::array();
                for (const SeasonPreheat& p : records.preheats) {
                  preheats.push_back({{"file", p.file},
                                      {"date", p.date},
                                      {"late", p.lateMinutes},
                                      {"programmed", p.programmedTime},
                                      {"energy", p.energyUsed}});
                }
                const StatisticsState& s = program.State().statistics;
                return nlohmann::json{{"days", days},
                                      {"preheats", preheats},
                                      {"today",
                                       {{"energy", s.energyToday},
                                        {"setbackEnergy", s.setbackEnergy},
                                        {"savedEnergy", s.savedEnergy}}}};
              }));
}

void GetSeasonCsv(ServerContext& context, const httplib::Request& req, httplib::Response& res) {
  const bool days = req.matches[1].str() == "days";
  std::optional<nlohmann::json> result = OnControlThread(context, [days](Program& program) {
    SeasonRecords records = ReadSeasonRecords(ReportPartsOf(program.State()), program.Files());
    return nlohmann::json{{"csv", days ? DaysCsv(records) : PreheatsCsv(records)}};
  });
  if (!result) {
    ReplyError(res, 503, "the program did not answer in time; try again");
    return;
  }
  res.set_header("Cache-Control", "no-store");
  res.set_header("Content-Disposition", std::string("attachment; filename=\"") +
                                            (days ? "kelvora-days.csv" : "kelvora-preheats.csv") + "\"");
  res.set_content((*result)["csv"].get<std::string>(), "text/csv; charset=utf-8");
}

void ServeChartLibrary(ServerContext&, const httplib::Request&, httplib::Response& res) {
  res.set_header("Cache-Control", "max-age=86400");
  res.set_content(std::string(ChartLibrary()), "text/javascript; charset=utf-8");
}

}  // namespace kelvora
