// Tells a service manager how the program is doing: ready once start-up is
// done, alive after every control pass (its watchdog restarts a program whose
// control loop hangs), and stopping. Without NOTIFY_SOCKET in the environment
// every call does nothing, so the program runs the same from a terminal.
#ifndef KELVORA_PLATFORM_SERVICE_NOTIFY_H_
#define KELVORA_PLATFORM_SERVICE_NOTIFY_H_

#include <string_view>

namespace kelvora {

class ServiceNotifier {
 public:
  ServiceNotifier() = default;
  virtual ~ServiceNotifier() = default;
  ServiceNotifier(const ServiceNotifier&) = delete;
  ServiceNotifier& operator=(const ServiceNotifier&) = delete;

  virtual void Ready() { Send("READY=1"); }
  virtual void Alive() { Send("WATCHDOG=1"); }
  virtual void Stopping() { Send("STOPPING=1"); }

 private:
  static void Send(std::string_view state);
};

}  // namespace kelvora

#endif  // KELVORA_PLATFORM_SERVICE_NOTIFY_H_
