// Files set aside instead of lost: a damaged data file is copied beside
// itself, and an archive never replaces one already there.
#ifndef KELVORA_MONITOR_CORE_KEPT_FILES_H_
#define KELVORA_MONITOR_CORE_KEPT_FILES_H_

#include <string>
#include <string_view>

#include "Monitor/core/host_services.h"
#include "platform/file_layer.h"

namespace kelvora {

// `base` when no file has that name, otherwise the first of base + "-2",
// "-3", ... that is free; empty when none is.
std::string FreeFileName(const FileLayer& files, std::string_view base);

// Copies the damaged `name` to a free "<name>.damaged" name and writes one
// console line: the file, `problem`, where the copy is, then `outcome`
// (what the program does without the damaged part). True when the copy
// exists.
bool KeepDamagedCopy(FileLayer& files, Console& console, std::string_view name, std::string_view problem,
                     std::string_view outcome);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_CORE_KEPT_FILES_H_
