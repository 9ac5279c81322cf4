// Failures planted in a file layer's operations, for tests and for the fault
// and kill campaigns. A layer given a FileFaults asks it before every
// operation (every attempt of a retried one, and each step of a whole-file
// rewrite: the temporary file's writing as a close, its putting in place as
// a rename) whether the operation is to fail, and with which errno.
#ifndef KELVORA_PLATFORM_FILE_FAULTS_H_
#define KELVORA_PLATFORM_FILE_FAULTS_H_

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/file_layer.h"

namespace kelvora {

class FileFaults {
 public:
  // Makes operation `op` on a name ending in `nameSuffix` (empty: any name)
  // fail `times` times, after letting `skip` matching operations succeed.
  // `error` is the errno the failure reports (0: EIO).
  void InjectFault(FileOp op, std::string nameSuffix, int times = 1, int skip = 0, int error = 0);
  void ClearFaults() { faults_.clear(); }

  // Every operation, of any kind, is numbered from 1 in the order it runs;
  // `hook` sees each number before the operation and makes it fail (with the
  // errno it returns) by returning non-zero. It is asked before the planted
  // faults.
  using OperationHook = std::function<int(int number, FileOp op, const std::string& path)>;
  void SetOperationHook(OperationHook hook) { hook_ = std::move(hook); }

  // How many operations of each kind ran (failed ones included).
  int OperationCount(FileOp op) const;
  // How many operations of any kind ran.
  int OperationNumber() const { return operationNumber_; }

  // For the layer: counts operation `op` on `path` and returns the errno it
  // must fail with, or 0 when it is to run.
  int Before(FileOp op, const std::string& path);

 private:
  struct Fault {
    FileOp op;
    std::string suffix;
    int skip;
    int times;
    int error;
  };

  std::vector<Fault> faults_;
  std::map<FileOp, int> counts_;
  int operationNumber_ = 0;
  OperationHook hook_;
};

}  // namespace kelvora

#endif  // KELVORA_PLATFORM_FILE_FAULTS_H_
