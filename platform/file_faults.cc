#include "platform/file_faults.h"

#include <cerrno>
#include <utility>

namespace kelvora {

namespace {

bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

void FileFaults::InjectFault(FileOp op, std::string nameSuffix, int times, int skip, int error) {
  faults_.push_back(Fault{op, std::move(nameSuffix), skip, times, error == 0 ? EIO : error});
}

int FileFaults::OperationCount(FileOp op) const {
  auto it = counts_.find(op);
  return it == counts_.end() ? 0 : it->second;
}

int FileFaults::Before(FileOp op, const std::string& path) {
  ++counts_[op];
  ++operationNumber_;
  if (hook_) {
    if (int error = hook_(operationNumber_, op, path); error != 0) return error;
  }
  for (Fault& fault : faults_) {
    if (fault.op != op || fault.times <= 0 || !EndsWith(path, fault.suffix)) continue;
    if (fault.skip > 0) {
      --fault.skip;
      continue;
    }
    --fault.times;
    return fault.error;
  }
  return 0;
}

}  // namespace kelvora
