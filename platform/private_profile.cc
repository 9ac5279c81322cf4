#include "platform/private_profile.h"

namespace kelvora {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

// One line of the file: its text without the line end, and where the next
// line starts (after a CR LF, LF or lone CR; the file's size for the last).
struct Line {
  size_t start = 0;
  size_t end = 0;
  size_t next = 0;
  bool HasLineEnd() const { return next > end; }
};

Line LineAt(std::string_view bytes, size_t start) {
  size_t end = start;
  while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
  if (end == bytes.size()) return {start, end, end};
  size_t next = end + 1;
  if (bytes[end] == '\r' && next < bytes.size() && bytes[next] == '\n') ++next;
  return {start, end, next};
}

enum class LineKind { kOther, kHeader, kKey };

// What a line says. For a header, `name` is the section; for a key line,
// `name` is the key and `valueStart` the offset in the line where its value
// begins (after '=' and the blanks that follow it).
struct Parsed {
  LineKind kind = LineKind::kOther;
  std::string_view name;
  size_t valueStart = 0;
};

Parsed ParseLine(std::string_view text) {
  size_t first = 0;
  while (first < text.size() && IsBlank(text[first])) ++first;
  if (first == text.size() || text[first] == ';') return {};
  if (text[first] == '[') {
    size_t close = text.find(']', first + 1);
    if (close != std::string_view::npos) {
      return {LineKind::kHeader, TrimBlanks(text.substr(first + 1, close - first - 1)), 0};
    }
  }
  size_t equals = text.find('=', first);
  if (equals == std::string_view::npos) return {};
  size_t valueStart = equals + 1;
  while (valueStart < text.size() && IsBlank(text[valueStart])) ++valueStart;
  return {LineKind::kKey, TrimBlanks(text.substr(first, equals - first)), valueStart};
}

// Where the first section named `section` lies and what it holds.
struct SectionScan {
  bool found = false;
  Line header;                  // the section's header line
  std::optional<Line> lastKey;  // the last key line of the section
  std::optional<Line> match;    // the first line of the wanted key
  size_t valueStart = 0;        // offset of the wanted key's value in its line
};

// One pass over the file, stopping at the wanted key or at the header that
// follows the first matching section: linear in the file's size.
SectionScan ScanSection(std::string_view bytes, std::string_view section, std::string_view key) {
  SectionScan scan;
  bool inSection = false;
  for (size_t pos = 0; pos < bytes.size();) {
    Line line = LineAt(bytes, pos);
    pos = line.next;
    Parsed parsed = ParseLine(bytes.substr(line.start, line.end - line.start));
    if (parsed.kind == LineKind::kHeader) {
      if (scan.found) break;
      inSection = SameName(parsed.name, section);
      if (inSection) {
        scan.found = true;
        scan.header = line;
      }
    } else if (parsed.kind == LineKind::kKey && inSection) {
      scan.lastKey = line;
      if (SameName(parsed.name, key)) {
        scan.match = line;
        scan.valueStart = parsed.valueStart;
        break;
      }
    }
  }
  return scan;
}

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

std::string Cut(std::string_view text, size_t chars) { return std::string(text.substr(0, chars)); }

std::string OneLine(std::string_view value) {
  std::string line(value);
  for (char& c : line) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return line;
}

bool EndsWithLineEnd(std::string_view bytes) {
  return !bytes.empty() && (bytes.back() == '\r' || bytes.back() == '\n');
}

// The file with `text` inserted after `line`, which gets a line end first
// when it is the file's last line and has none.
std::string InsertAfter(std::string_view bytes, const Line& line, std::string_view text) {
  std::string out(bytes.substr(0, line.next));
  if (!line.HasLineEnd()) out += "\r\n";
  out += text;
  out += bytes.substr(line.next);
  return out;
}

}  // namespace

std::optional<std::string> FindProfileString(std::string_view fileBytes, std::string_view section,
                                             std::string_view key, size_t chars) {
  SectionScan scan = ScanSection(fileBytes, section, key);
  if (!scan.match) return std::nullopt;
  std::string_view line = fileBytes.substr(scan.match->start, scan.match->end - scan.match->start);
  return Cut(Unquote(TrimBlanks(line.substr(scan.valueStart))), chars);
}

std::string GetProfileString(std::string_view fileBytes, std::string_view section, std::string_view key,
                             std::string_view defaultText, size_t chars) {
  if (auto found = FindProfileString(fileBytes, section, key, chars)) return *found;
  while (!defaultText.empty() && IsBlank(defaultText.back())) defaultText.remove_suffix(1);
  return Cut(defaultText, chars);
}

std::string SetProfileString(std::string_view fileBytes, std::string_view section, std::string_view key,
                             std::string_view value) {
  SectionScan scan = ScanSection(fileBytes, section, key);
  std::string keyLine = std::string(key) + "=" + OneLine(value) + "\r\n";
  if (scan.match) {
    // Keep "Key = " as it stands and the line's own line end.
    std::string out(fileBytes.substr(0, scan.match->start + scan.valueStart));
    out += OneLine(value);
    out += fileBytes.substr(scan.match->end);
    return out;
  }
  if (scan.found) return InsertAfter(fileBytes, scan.lastKey ? *scan.lastKey : scan.header, keyLine);
  std::string out(fileBytes);
  if (!out.empty() && !EndsWithLineEnd(out)) out += "\r\n";
  out += "[" + std::string(section) + "]\r\n" + keyLine;
  return out;
}

std::string PrivateProfile::Read(std::string_view section, std::string_view key, std::string_view defaultText,
                                 size_t chars, std::string_view path) const {
  std::optional<std::string> bytes = files_.TryReadWholeFile(path);
  // A file that is there but failed to read once is read again: its keys
  // taken as missing would let a later write replace the person's values.
  if (!bytes && files_.FileSize(path)) bytes = files_.TryReadWholeFile(path);
  return GetProfileString(bytes ? *bytes : std::string_view(), section, key, defaultText, chars);
}

bool PrivateProfile::Write(std::string_view section, std::string_view key, std::string_view value,
                           std::string_view path) {
  const Entry entry{std::string(key), std::string(value)};
  return WriteKeys(section, std::span<const Entry>(&entry, 1), path);
}

bool PrivateProfile::WriteKeys(std::string_view section, std::span<const Entry> entries,
                               std::string_view path) {
  std::optional<std::string> bytes = files_.TryReadWholeFile(path);
  if (!bytes) {
    if (files_.Exists(path)) return false;
    bytes.emplace();
  }
  for (const Entry& entry : entries) *bytes = SetProfileString(*bytes, section, entry.first, entry.second);
  return files_.TryWriteWholeFile(path, *bytes);
}

}  // namespace kelvora
