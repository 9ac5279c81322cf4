#include "Monitor/learning/project_file.h"

namespace kelvora {

std::string ModelBlockText(const ModelSlot&) { return {}; }
std::string ProjectFileText(const RunState&) { return {}; }
ProjectReadResult ParseProjectText(std::string_view, RunState&) { return {}; }
void WriteProject(ControlHost&) {}
void ReadProject(ControlHost&) {}

}  // namespace kelvora
