#include "platform/file_layer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace kelvora {

namespace {

std::string FailureText(int error) {
  return error == kNotARegularFile ? "not a regular file" : std::strerror(error);
}

bool DiskFull(int error) { return error == ENOSPC || error == EDQUOT || error == EFBIG; }

// The first line of the log's message when the layer can say more than the
// usual explanation.
std::string ExplanationFor(int error, const std::string& path) {
  if (DiskFull(error)) return "The disk is full: " + path + " could not be written.";
  if (error == kNotARegularFile) return path + " is not a regular file: move it out of the way.";
  return {};
}

std::string Joined(const std::string& directory, std::string_view component) {
  return directory.empty() ? std::string(component) : directory + "/" + std::string(component);
}

// `path` below `base`, each component spelt as the entry that exists with
// that name ignoring case. A component that exists as written is taken
// without reading its directory; one that matches nothing is kept as
// written, and so is everything below it, which cannot exist either.
std::string MatchCase(const std::string& base, std::string_view path, const NameLookup& lookup) {
  std::string resolved = base;
  bool searching = true;
  for (size_t start = 0;;) {
    const size_t end = std::min(path.find('/', start), path.size());
    const std::string_view component = path.substr(start, end - start);
    const std::string directory = resolved;
    resolved = Joined(directory, component);
    if (searching && !component.empty() && component != "." && component != ".." &&
        !lookup.exists(resolved)) {
      std::optional<std::string> entry = lookup.ignoringCase(directory, component);
      searching = entry.has_value();
      if (entry) resolved = Joined(directory, *entry);
    }
    if (end == path.size()) return resolved;
    start = end + 1;
  }
}

}  // namespace

TrappedError FileFailure(uint8_t number, SourceLocation where, const std::string& path, int error,
                         bool injected) {
  std::string why = FailureText(error);
  if (injected) why = "injected failure: " + why;
  return TrappedError{number, where, path + ": " + why, ExplanationFor(error, path)};
}

std::string ResolveName(const std::string& current, std::string_view name, const NameLookup& lookup) {
  std::string path(name);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  if (!path.empty() && path.front() == '/') return path;
  return MatchCase(current.empty() || current == "." ? std::string() : current, path, lookup);
}

void FileLayer::WriteWholeFile(std::string_view name, std::string_view bytes, Where where) {
  FileId id = OpenOutput(name, where);
  if (id == kNoFile) return;
  Write(id, bytes, where);
  Close(id, where);
}

void FileLayer::AppendToFile(std::string_view name, std::string_view bytes, Where where) {
  FileId id = OpenAppend(name, where);
  if (id == kNoFile) return;
  Write(id, bytes, where);
  Close(id, where);
}

}  // namespace kelvora
