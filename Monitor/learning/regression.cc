#include "Monitor/learning/regression.h"

namespace kelvora {

std::string RegressionLabel(int, int) { return {}; }
RegressionRow RegressionVariables(const RunState&, int, const PreheatHistoryRecord&) { return {}; }
RegressionOutcome Regress(const std::vector<RegressionRow>&, uint16_t, int) { return {}; }
void RunRegression(ControlHost&) {}

}  // namespace kelvora
