// The text status screen: 80 columns by 25 rows of code page 437 characters,
// a frame of French labels with the day's statistics and pre-heat figures in
// fixed fields, and the cycle strip at the bottom. It is drawn into a grid;
// a terminal, when there is one, is brought up to date from the grid.
#ifndef KELVORA_MONITOR_REPORTS_STATUS_SCREEN_H_
#define KELVORA_MONITOR_REPORTS_STATUS_SCREEN_H_

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "Monitor/reports/report_parts.h"

namespace kelvora {

// A text screen with a cursor; rows and columns count from 1. Text written
// past column 80 is dropped.
class TextScreen {
 public:
  static constexpr int kRows = 25;
  static constexpr int kColumns = 80;

  TextScreen() { Clear(); }
  void Clear();
  void Locate(int row, int column);
  // Moves right to `column` on the cursor's row; never moves left.
  void Tab(int column);
  void Print(std::string_view bytes);

  // Row `row` as its 80 code page 437 bytes.
  const std::string& Row(int row) const { return rows_[static_cast<size_t>(row - 1)]; }
  // Every row converted to UTF-8, top first.
  std::vector<std::string> Utf8Rows() const;
  // Counts the clears, so that whoever shows the screen knows to start afresh.
  int Clears() const { return clears_; }

 private:
  std::array<std::string, kRows> rows_;
  int row_ = 1, column_ = 1;
  int clears_ = 0;
};

// Clears the screen, draws the frame and then the value fields.
void DrawStatusFrame(const ReportParts& parts, TextScreen& screen);
// Writes the value fields and the cycle strip over the frame.
void DrawStatusValues(const ReportParts& parts, TextScreen& screen);

// Brings a terminal up to date with a screen: everything after a clear, then
// only the characters that changed, placed with cursor addressing.
class TerminalStatusWriter {
 public:
  explicit TerminalStatusWriter(std::function<void(std::string_view)> write) : write_(std::move(write)) {}
  void Show(const TextScreen& screen);
  // Something else was written to the terminal: the next show starts afresh.
  void Forget() { shown_.clear(); }

 private:
  std::function<void(std::string_view)> write_;
  std::vector<std::string> shown_;  // the rows on the terminal; empty before the first show
  int shownClears_ = -1;
};

}  // namespace kelvora

#endif  // KELVORA_MONITOR_REPORTS_STATUS_SCREEN_H_
