// Chart.js, from the Debian package libjs-chart.js, built into the program so
// that the season view draws with it wherever the program was copied.
#ifndef KELVORA_SERVER_CHART_LIBRARY_H_
#define KELVORA_SERVER_CHART_LIBRARY_H_

#include <string_view>

namespace kelvora {

std::string_view ChartLibrary();

}  // namespace kelvora

#endif  // KELVORA_SERVER_CHART_LIBRARY_H_
