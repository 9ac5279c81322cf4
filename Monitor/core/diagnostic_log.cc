#include "Monitor/core/diagnostic_log.h"

namespace kelvora {

void DiagnosticLog::Write(std::string_view text) {
  if (terminal_) terminal_(text);
  pending_.append(text);
}

void DiagnosticLog::Flush() {
  if (pending_.empty()) return;
  if (!fileSize_) fileSize_ = files_.FileSize(kDiagnosticLog).value_or(0);
  if (*fileSize_ + pending_.size() > limit_ && *fileSize_ > 0) {
    files_.Remove(kDiagnosticOld);
    if (files_.TryRename(kDiagnosticLog, kDiagnosticOld)) fileSize_ = 0;
  }
  // Appended without the trap handler: a full disk must not hold the
  // control pass for a log nobody reads back.
  if (files_.TryAppend(kDiagnosticLog, pending_)) *fileSize_ += pending_.size();
  pending_.clear();
}

}  // namespace kelvora
