#include "Monitor/core/print_zone.h"

#include <charconv>
#include <cstring>

#include "Monitor/core/text_number.h"

namespace kelvora {
namespace {

constexpr std::string_view kItemEnds = " \t\r\n,";

}  // namespace

ZoneWriter& ZoneWriter::Number(float value) {
  std::string text = SevenDigitText(value);
  Item(text.front() == '-' ? text : " " + text);
  return *this;
}

ZoneWriter& ZoneWriter::Integer(long value) {
  char buffer[24];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  std::string text(buffer, result.ptr);
  Item(value < 0 ? text : " " + text);
  return *this;
}

ZoneWriter& ZoneWriter::Quoted(std::string_view text) {
  // Copied whole, and mended in place only when it holds a quote or a line
  // break: the day file quotes a hundred strip rows at every save, and a
  // byte at a time that was a tenth of a simulated run.
  std::string quoted;
  quoted.reserve(text.size() + 2);
  quoted += '"';
  quoted += text;
  auto has = [text](char c) { return std::memchr(text.data(), c, text.size()) != nullptr; };
  if (has('"') || has('\r') || has('\n')) {
    for (size_t i = 1; i < quoted.size(); ++i) {
      char& c = quoted[i];
      if (c == '"') c = '\'';
      if (c == '\r' || c == '\n') c = ' ';
    }
  }
  quoted += '"';
  Item(quoted);
  return *this;
}

ZoneWriter& ZoneWriter::Raw(std::string_view text) {
  Item(text);
  return *this;
}

ZoneWriter& ZoneWriter::EmptyZone() {
  Item({});
  return *this;
}

ZoneWriter& ZoneWriter::ContinueLine(size_t column) {
  firstLineColumn_ = column;
  lineHasItem_ = column > 0;
  return *this;
}

ZoneWriter& ZoneWriter::EndLine() {
  text_ += "\r\n";
  lineStart_ = text_.size();
  lineHasItem_ = false;
  return *this;
}

void ZoneWriter::Item(std::string_view text) {
  if (lineHasItem_) {
    // The next zone boundary strictly after the column: at least one blank.
    size_t column = text_.size() - lineStart_ + (lineStart_ == 0 ? firstLineColumn_ : 0);
    size_t zone = (column / kPrintZoneWidth + 1) * kPrintZoneWidth;
    text_.append(zone - column, ' ');
  }
  text_ += text;
  lineHasItem_ = true;
}

double ZoneReader::Number() {
  SkipSpace();
  if (pos_ >= text_.size()) return 0;
  if (text_[pos_] == ',') {
    ++pos_;  // an empty field
    return 0;
  }
  if (text_[pos_] == '"') {
    Quoted();
    return 0;
  }
  std::string_view item = TakeUntil(kItemEnds);
  SkipSeparator();
  return ReadNumber(item);
}

std::string ZoneReader::Quoted() {
  SkipSpace();
  if (pos_ >= text_.size()) return {};
  if (text_[pos_] == ',') {
    ++pos_;
    return {};
  }
  std::string_view item;
  if (text_[pos_] == '"') {
    ++pos_;
    item = TakeUntil("\"\r\n");  // an unclosed quote ends at the line end
    if (pos_ < text_.size() && text_[pos_] == '"') ++pos_;
  } else {
    item = TakeUntil(",\r\n");
    while (!item.empty() && (item.back() == ' ' || item.back() == '\t')) item.remove_suffix(1);
  }
  SkipSeparator();
  return std::string(item);
}

bool ZoneReader::AtEnd() {
  SkipSpace();
  return pos_ >= text_.size();
}

void ZoneReader::SkipSpace() {
  while (pos_ < text_.size() && std::string_view(" \t\r\n").find(text_[pos_]) != std::string_view::npos)
    ++pos_;
}

void ZoneReader::SkipSeparator() {
  while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
  if (pos_ < text_.size() && text_[pos_] == ',') ++pos_;
}

std::string_view ZoneReader::TakeUntil(std::string_view stops) {
  size_t end = text_.find_first_of(stops, pos_);
  if (end == std::string::npos) end = text_.size();
  std::string_view item = std::string_view(text_).substr(pos_, end - pos_);
  pos_ = end;
  return item;
}

bool IsDecimalText(std::string_view text) {
  size_t i = 0;
  auto digits = [&] {
    size_t from = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    return i - from;
  };
  auto sign = [&] {
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  };
  sign();
  size_t mantissa = digits();
  if (i < text.size() && text[i] == '.') {
    ++i;
    mantissa += digits();
  }
  if (mantissa == 0) return false;
  if (i < text.size() && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
    ++i;
    sign();
    if (digits() == 0) return false;
  }
  return i == text.size();
}

std::optional<std::vector<ZoneItem>> SplitZoneItems(std::string_view line) {
  std::vector<ZoneItem> items;
  size_t pos = line.find_first_not_of(" \t");
  while (pos != std::string_view::npos) {
    size_t end;
    if (line[pos] == '"') {
      end = line.find('"', pos + 1);
      if (end == std::string_view::npos) return std::nullopt;
      items.push_back({true, line.substr(pos + 1, end - pos - 1)});
      ++end;
    } else {
      end = std::min(line.find_first_of(" \t\"", pos), line.size());
      items.push_back({false, line.substr(pos, end - pos)});
    }
    pos = line.find_first_not_of(" \t", end);
  }
  return items;
}

}  // namespace kelvora
