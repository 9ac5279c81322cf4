// The program's text data files ("STAT.DAT", "CYCLE.DAT", "PROJECT.DAT",
// "PH_HP.LOG"): values laid out in 14-column print zones, and read back in
// the same order by ZoneReader.
//
// Layout: each line holds items separated by blanks so that every item after
// the first starts at a multiple of 14 columns from the line start, with at
// least one blank before it (an item that reaches or passes a zone boundary
// pushes the next one to the following zone). Numbers are written with up to
// 7 significant digits and a leading blank when not negative (" 21.5",
// "-3", " 1.5E-05"); texts in double quotes. Lines end in CR LF.
#ifndef KELVORA_MONITOR_CORE_PRINT_ZONE_H_
#define KELVORA_MONITOR_CORE_PRINT_ZONE_H_

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kelvora {

inline constexpr size_t kPrintZoneWidth = 14;

// Builds the text of a file line by line. The fill before an item is written
// only when the item comes, so the last field of a line is never followed by
// blanks.
class ZoneWriter {
 public:
  // SevenDigitText with a leading blank when `value` is not negative.
  ZoneWriter& Number(float value);
  // Decimal digits with a leading blank when `value` is not negative.
  ZoneWriter& Integer(long value);
  // `text` in double quotes. A '"' inside would end the text early and a line
  // break would split it, so they are written as '\'' and a blank.
  ZoneWriter& Quoted(std::string_view text);
  // `text` as it stands, as one item.
  ZoneWriter& Raw(std::string_view text);
  // A zone left empty: the next item goes to the zone after it.
  ZoneWriter& EmptyZone();
  // Continues a line of a file that already holds `column` characters, so
  // that the items appended line up with the zones of what stands before
  // them. Call before the first item.
  ZoneWriter& ContinueLine(size_t column);
  // CR LF; the next item starts a new line.
  ZoneWriter& EndLine();

  const std::string& Text() const { return text_; }

 private:
  void Item(std::string_view text);

  std::string text_;
  size_t lineStart_ = 0;
  size_t firstLineColumn_ = 0;
  bool lineHasItem_ = false;
};

// Reads back what ZoneWriter wrote, item by item, in the order of writing.
// Blanks, tabs and line ends between items are skipped, and a comma after an
// item is a separator as well, so texts written by other tools with commas
// read too. The text is held by the reader.
class ZoneReader {
 public:
  explicit ZoneReader(std::string text) : text_(std::move(text)) {}

  // The next item read as a number: ReadNumber of the item, 0 when it is not
  // a number, an empty field (",,") or past the end. A quoted text read as a
  // number is consumed whole and reads 0.
  double Number();
  // The next item as text: what lies inside its double quotes, or for an
  // item without quotes the text up to the next comma or line end, trailing
  // blanks removed. Empty past the end.
  std::string Quoted();
  // Whether only blanks, tabs and line ends are left.
  bool AtEnd();

 private:
  void SkipSpace();
  void SkipSeparator();
  std::string_view TakeUntil(std::string_view stops);

  std::string text_;
  size_t pos_ = 0;
};

// For readers that must tell a damaged file from a good one, which
// ZoneReader (reading what is not a number as 0) cannot.

// Whether `text` is a number as the writers put it: sign, digits with an
// optional point, an optional exponent (E or D).
bool IsDecimalText(std::string_view text);

struct ZoneItem {
  bool quoted = false;
  std::string_view text;  // without the quotes
};

// The items of one line, in order, separated by blanks and tabs. A quote
// that is not closed on its line makes the line unreadable: nullopt.
std::optional<std::vector<ZoneItem>> SplitZoneItems(std::string_view line);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_CORE_PRINT_ZONE_H_
