// The program's services that steps below it call by name: the console, the
// learning's working reports, the day's save and the status screen. Each step takes only the
// ones it uses; the program implements them, tests give lighter ones.
#ifndef KELVORA_MONITOR_CORE_HOST_SERVICES_H_
#define KELVORA_MONITOR_CORE_HOST_SERVICES_H_

#include <string_view>

namespace kelvora {

class Console {
 public:
  virtual ~Console() = default;
  virtual void ConsoleWrite(std::string_view text) = 0;
};

class Diagnostics {
 public:
  virtual ~Diagnostics() = default;
  // The learning's working reports (regression, curve fit): kept in a log
  // that nothing reads back, and shown on the terminal when there is one.
  virtual void Diagnostic(std::string_view text) = 0;
};

class DaySaving {
 public:
  virtual ~DaySaving() = default;
  // Writes "STAT.DAT" and "CYCLE.DAT".
  virtual void SaveDayState() = 0;
  // While the learning replays the night on the run state, the state is not
  // the day's: a stop meanwhile must leave the day's files as last saved.
  virtual void PauseDaySaving(bool paused) { static_cast<void>(paused); }
};

class StatusDisplay {
 public:
  virtual ~StatusDisplay() = default;
  // The text status screen: the whole frame, or its value fields only. A
  // host without one ignores them.
  virtual void ShowStatusFrame() {}
  virtual void ShowStatusValues() {}
};

}  // namespace kelvora

#endif  // KELVORA_MONITOR_CORE_HOST_SERVICES_H_
