// What the control pass and its steps need from the program around them:
// the run state, files, settings file, the card and the learning operations.
// The program implements it; tests may give a lighter one.
#ifndef KELVORA_MONITOR_CORE_CONTROL_HOST_H_
#define KELVORA_MONITOR_CORE_CONTROL_HOST_H_

#include <cstdint>
#include <string_view>

#include "Monitor/core/run_state.h"
#include "platform/clock.h"
#include "platform/file_layer.h"
#include "platform/private_profile.h"

namespace kelvora {

class LearningOperations;

class ControlHost {
 public:
  virtual ~ControlHost() = default;

  virtual RunState& State() = 0;
  virtual FileLayer& Files() = 0;
  virtual PrivateProfile& Profile() = 0;
  virtual Clock& ClockSource() = 0;
  virtual LearningOperations& Learning() = 0;
  // Writes `byte` to the card's output latch, when there is a card to drive.
  virtual void WriteOutputs(uint8_t byte) = 0;
  // The raw value of a sensor channel, from the card or the simulated house.
  virtual float ReadChannel(int8_t channel) = 0;
  // Writes "STAT.DAT" and "CYCLE.DAT".
  virtual void SaveDayState() = 0;
  // While the learning replays the night on the run state, the state is not
  // the day's: a stop meanwhile must leave the day's files as last saved.
  virtual void PauseDaySaving(bool paused) { static_cast<void>(paused); }
  virtual void ConsoleWrite(std::string_view text) = 0;
  // The learning's working reports (regression, curve fit): kept in a log
  // that nothing reads back, and shown on the terminal when there is one.
  virtual void Diagnostic(std::string_view text) = 0;
  // The text status screen: the whole frame, or its value fields only. A
  // host without one ignores them.
  virtual void ShowStatusFrame() {}
  virtual void ShowStatusValues() {}

  // The run state's output byte, written to the card.
  void WriteOutputByte() { WriteOutputs(State().card.outputByte); }
};

}  // namespace kelvora

#endif  // KELVORA_MONITOR_CORE_CONTROL_HOST_H_
