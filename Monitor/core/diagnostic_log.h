// The diagnostics channel: the learning's working reports (regression
// tables, curve-fit searches). They are gathered during a control pass and
// appended once at its end to "DIAGNOST.LOG" in the data directory, which is
// moved to "DIAGNOST.OLD" when it passes its limit, so the two together never
// hold more than twice the limit. They are echoed to the terminal when the
// program has one.
#ifndef KELVORA_MONITOR_CORE_DIAGNOSTIC_LOG_H_
#define KELVORA_MONITOR_CORE_DIAGNOSTIC_LOG_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file_layer.h"

namespace kelvora {

inline constexpr const char* kDiagnosticLog = "DIAGNOST.LOG";
inline constexpr const char* kDiagnosticOld = "DIAGNOST.OLD";

class DiagnosticLog {
 public:
  using Terminal = std::function<void(std::string_view)>;

  // `terminal` may be empty: the reports then go to the file only.
  DiagnosticLog(FileLayer& files, Terminal terminal, uint64_t limitBytes = 1 << 20)
      : files_(files), terminal_(std::move(terminal)), limit_(limitBytes) {}

  void Write(std::string_view text);
  // Appends what was gathered. A failed write drops it: diagnostics never
  // stop the heating.
  void Flush();

 private:
  FileLayer& files_;
  Terminal terminal_;
  uint64_t limit_;
  std::string pending_;
  std::optional<uint64_t> fileSize_;  // known after the first flush
};

}  // namespace kelvora

#endif  // KELVORA_MONITOR_CORE_DIAGNOSTIC_LOG_H_
