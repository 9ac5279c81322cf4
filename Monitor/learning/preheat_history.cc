#include "Monitor/learning/preheat_history.h"

namespace kelvora {

PreheatHistoryRecord DecodePreheatRecord(std::string_view) { return {}; }
std::string EncodePreheatRecord(const PreheatHistoryRecord&) { return {}; }
bool HistorySelects(const RunState&, const PreheatHistoryRecord&, int, bool) { return false; }
PreheatHistoryRecord ReadHistoryRecord(ControlHost&, uint16_t) { return {}; }
void ReadPreheatHistory(ControlHost&) {}
void ClosePreheatHistory(ControlHost&) {}
void AppendPreheatRecord(ControlHost&) {}

}  // namespace kelvora
