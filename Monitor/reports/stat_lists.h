// The statistics lists of View > List: the day's heating cycles with their
// duty and energy shares and the set-back summary, and the steps of the
// current pre-heat or temperature drop. Cells are Windows-1252 texts, each
// at most 31 characters, built exactly as the list dialog shows them.
#ifndef KELVORA_MONITOR_REPORTS_STAT_LISTS_H_
#define KELVORA_MONITOR_REPORTS_STAT_LISTS_H_

#include <string>
#include <vector>

#include "Monitor/reports/report_parts.h"

namespace kelvora {

enum class ListKind { kCycles = 1, kPreheatSteps = 2, kDropSteps = 3 };

struct ListColumn {
  std::string title;  // trailing blanks kept
  int width = 0;      // pixels
  bool leftAligned = false;
};

struct StatList {
  ListKind kind = ListKind::kCycles;
  std::string title;
  int widthChange = 0;  // pixels the dialog narrows (negative) or widens by
  std::vector<ListColumn> columns;
  std::vector<std::vector<std::string>> rows;  // one text per column
  bool graphEnabled = false;                   // the "Graph" button draws a curve
};

// The list of `kind` with its caption, columns and rows at the state of now.
// Reads the parts only: the running period's end is taken as clockSeconds
// without writing a row past the last one in use.
StatList BuildStatList(ListKind kind, const ReportParts& parts);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_REPORTS_STAT_LISTS_H_
