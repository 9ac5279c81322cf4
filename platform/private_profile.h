// Reading and writing the settings file, an INI file with the semantics of the
// Windows private-profile calls: pure functions over the file's bytes, and a
// small class that applies them to a file through the file layer.
//
// File layout: lines end in CR LF, LF or a lone CR (the last may have none).
//   [Section]        a header; blanks inside the brackets are trimmed
//   Key = value      blanks and tabs around key and value are trimmed; a value
//                    in matching single or double quotes loses the quotes
//   ; text           a comment; any other line without '=' is not a key
// Section and key names compare without regard to ASCII case. With duplicate
// sections only the first is searched, and in it the first matching key wins.
// Bytes are bytes: no encoding is assumed, NUL and high bytes pass through.
#ifndef KELVORA_PLATFORM_PRIVATE_PROFILE_H_
#define KELVORA_PLATFORM_PRIVATE_PROFILE_H_

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "platform/file_layer.h"

namespace kelvora {

// The value of `key` in the first `section` of `fileBytes`, cut to at most
// `chars` characters; nullopt when the section or the key is missing.
std::optional<std::string> FindProfileString(std::string_view fileBytes, std::string_view section,
                                             std::string_view key, size_t chars);

// As GetPrivateProfileString with a buffer of chars + 1: the value, or when it
// is missing `defaultText` without its trailing blanks; either cut to `chars`.
std::string GetProfileString(std::string_view fileBytes, std::string_view section, std::string_view key,
                             std::string_view defaultText, size_t chars);

// As WritePrivateProfileString: the file's new contents. An existing key keeps
// its line, with everything up to its value unchanged; a missing key is added
// after the last key of the section, a missing section at the end of the file.
// Every other byte of the file is kept. `section` and `key` are the program's
// own names (no line break, ']' or '='); a line break in `value` is written as
// a blank, since it would otherwise start a line of its own.
std::string SetProfileString(std::string_view fileBytes, std::string_view section, std::string_view key,
                             std::string_view value);

// The settings file as the program sees it. Errors are never reported to the
// program: a missing or unreadable file reads as empty, a failed write is lost.
class PrivateProfile {
 public:
  using Entry = std::pair<std::string, std::string>;  // key, value

  explicit PrivateProfile(FileLayer& files) : files_(files) {}

  // GetProfileString over the file at `path` (resolved by the file layer).
  std::string Read(std::string_view section, std::string_view key, std::string_view defaultText, size_t chars,
                   std::string_view path) const;
  // SetProfileString on the file, which is replaced whole; false when the
  // file could not be written, or exists but could not be read (writing then
  // would lose its other keys).
  bool Write(std::string_view section, std::string_view key, std::string_view value, std::string_view path);
  // Several keys of one section in one rewrite of the file, in the given order.
  bool WriteKeys(std::string_view section, std::span<const Entry> entries, std::string_view path);

 private:
  FileLayer& files_;
};

}  // namespace kelvora

#endif  // KELVORA_PLATFORM_PRIVATE_PROFILE_H_
