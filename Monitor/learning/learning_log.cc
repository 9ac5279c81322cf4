#include "Monitor/learning/learning_log.h"

#include <algorithm>
#include <string>

#include "Monitor/core/duration_text.h"
#include "Monitor/core/preheat_record.h"
#include "Monitor/core/print_zone.h"

namespace kelvora {
namespace {

constexpr const char* kProjectBackup = "PROJECT.DAT.bak";
constexpr const char* kProjectPrevious = "Project.dat.PREV";

void AppendStepRows(const LearningParts& state, const LearningServices& services) {
  const LearningState& l = state.learning;
  ZoneWriter writer;
  int last = std::min<int>(l.stepsRecorded, l.stepTable.Rows());
  for (int step = 0; step <= last; ++step) {
    const Table<float>& t = l.stepTable;
    writer.Integer(step)
        .Number(t(step, kStepInterior))
        .Number(t(step, kStepTime))
        .Number(t(step, kStepFitted1))
        .Number(t(step, kStepFitted2));
    writer.Raw(FormatDuration(static_cast<int32_t>(t(step, kStepArrival))));
    writer.Raw(FormatDuration(static_cast<int32_t>(t(step, kStepTime)))).EndLine();
  }
  services.files.AppendToFile(kProjectBackup, writer.Text());
}

}  // namespace

void ArchivePreheatSteps(const LearningParts& state, const LearningServices& services) {
  AppendStepRows(state, services);
  FileLayer& files = services.files;
  if (!files.Exists(kProjectPrevious)) files.Copy(kProjectBackup, kProjectPrevious);
}

void ForgetPreviousSteps(FileLayer& files) { files.Remove(kProjectPrevious); }

void CompleteLearningLog(const LearningParts& state, const LearningServices& services) {
  FileLayer& files = services.files;
  // The learning update began the line; our fields continue its zones.
  std::string existing = files.TryReadWholeFile(kLearningLog).value_or("");
  size_t lineStart = existing.find_last_of('\n');
  size_t column = lineStart == std::string::npos ? existing.size() : existing.size() - lineStart - 1;
  PreheatFields f(state.records.preheat);
  const Record& r = state.learning.preheatRecord;
  ZoneWriter writer;
  writer.ContinueLine(column)
      .Integer(state.control.heatPumpHold)
      .Raw(FormatDuration(static_cast<int32_t>(r.Get(f.Number(kStartTime)))))
      .Number(static_cast<float>(state.learning.stepIndex) / 10)
      .Number(r.Get(f.Number(kDayWindChill)))
      .Number(state.statistics.energyToday - state.learning.setbackStartEnergy);
  files.AppendToFile(kLearningLog, writer.Text());
}

}  // namespace kelvora
