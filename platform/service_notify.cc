#include "platform/service_notify.h"

#include <systemd/sd-daemon.h>

#include <string>

namespace kelvora {

void ServiceNotifier::Send(std::string_view state) {
  // The socket stays in the environment for the whole run: the pings of
  // every pass go to the same manager.
  static_cast<void>(sd_notify(0, std::string(state).c_str()));
}

}  // namespace kelvora
