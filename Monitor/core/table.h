// Tables with inclusive bounds, as the run state dimensions them: a table
// dimensioned 0..60 x 0..1 has 61 rows of 2 columns. Reading or writing
// outside the bounds throws std::out_of_range, which the control thread turns
// into the index error of the fatal handler instead of corrupting memory.
#ifndef KELVORA_MONITOR_CORE_TABLE_H_
#define KELVORA_MONITOR_CORE_TABLE_H_

#include <stdexcept>
#include <vector>

namespace kelvora {

template <typename T>
class Table {
 public:
  Table() = default;

  // Replaces the contents with zeroed elements 0..rows x 0..columns.
  // May throw std::bad_alloc.
  void Dimension(int rows, int columns = 0) {
    if (rows < 0 || columns < 0) throw std::out_of_range("negative table bound");
    std::vector<T> fresh(static_cast<size_t>(rows + 1) * static_cast<size_t>(columns + 1), T{});
    cells_.swap(fresh);
    rows_ = rows;
    columns_ = columns;
  }

  // Raises the row bound to `rows`, keeping every element; new rows are zero.
  // May throw std::bad_alloc.
  void GrowRows(int rows) {
    if (rows <= rows_) return;
    if (columns_ < 0) throw std::out_of_range("growing a table that was never dimensioned");
    cells_.resize(static_cast<size_t>(rows + 1) * static_cast<size_t>(columns_ + 1), T{});
    rows_ = rows;
  }

  int Rows() const { return rows_; }        // the inclusive upper row bound
  int Columns() const { return columns_; }  // the inclusive upper column bound
  bool Empty() const { return cells_.empty(); }

  T& operator()(int row, int column = 0) { return cells_[Index(row, column)]; }
  const T& operator()(int row, int column = 0) const { return cells_[Index(row, column)]; }

 private:
  size_t Index(int row, int column) const {
    if (row < 0 || row > rows_ || column < 0 || column > columns_) {
      throw std::out_of_range("table index out of bounds");
    }
    return static_cast<size_t>(row) * static_cast<size_t>(columns_ + 1) + static_cast<size_t>(column);
  }

  std::vector<T> cells_;
  int rows_ = -1;
  int columns_ = -1;
};

}  // namespace kelvora

#endif  // KELVORA_MONITOR_CORE_TABLE_H_
