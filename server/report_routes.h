// The reports' API: the statistics lists, the step curves drawn for the
// page's viewport, the text status screen, and the season view with its
// CSV downloads; and the chart library the season view draws with.
#ifndef KELVORA_SERVER_REPORT_ROUTES_H_
#define KELVORA_SERVER_REPORT_ROUTES_H_

#include "Functions/graph_modes.h"
#include "server/request_checks.h"
#include "server/server_context.h"

namespace kelvora {

// {"width": W, "height": H, "depth": D}: the viewport the graph is shown in,
// in CSS pixels, and its colour depth in bits per pixel.
Parsed<Desktop> ParseDesktopBody(std::string_view body);

void GetStatList(ServerContext& context, const httplib::Request& req, httplib::Response& res);
void DrawGraph(ServerContext& context, const httplib::Request& req, httplib::Response& res);
void CloseGraph(ServerContext& context, const httplib::Request& req, httplib::Response& res);
void GetStatusScreen(ServerContext& context, const httplib::Request& req, httplib::Response& res);
void GetSeason(ServerContext& context, const httplib::Request& req, httplib::Response& res);
void GetSeasonCsv(ServerContext& context, const httplib::Request& req, httplib::Response& res);
void ServeChartLibrary(ServerContext& context, const httplib::Request& req, httplib::Response& res);

}  // namespace kelvora

#endif  // KELVORA_SERVER_REPORT_ROUTES_H_
