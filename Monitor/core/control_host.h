// What the control pass and its steps need from the program around them:
// the run state, files, settings file, the card and the learning operations.
// The program implements it; tests may give a lighter one.
#ifndef KELVORA_MONITOR_CORE_CONTROL_HOST_H_
#define KELVORA_MONITOR_CORE_CONTROL_HOST_H_

#include "Monitor/card/card_io.h"
#include "Monitor/core/host_services.h"
#include "Monitor/core/run_state.h"
#include "platform/clock.h"
#include "platform/file_layer.h"
#include "platform/private_profile.h"

namespace kelvora {

class LearningOperations;

class ControlHost : public CardIo,
                    public Console,
                    public Diagnostics,
                    public DaySaving,
                    public StatusDisplay {
 public:
  virtual RunState& State() = 0;
  virtual FileLayer& Files() = 0;
  virtual PrivateProfile& Profile() = 0;
  virtual Clock& ClockSource() = 0;
  virtual LearningOperations& Learning() = 0;

  // The run state's output byte, written to the card.
  void WriteOutputByte() { WriteOutputs(State().card.outputByte); }
};

}  // namespace kelvora

#endif  // KELVORA_MONITOR_CORE_CONTROL_HOST_H_
