// Feeds arbitrary bytes to the settings reader as "Settings.ini" and checks
// what must hold for any file: the corrections of the load are in force, the
// simulation flag is 0 or 1, and what the Settings dialog saves loads back to
// the same values. UBSan catches a value converted beyond its type.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "Monitor/core/settings.h"
#include "platform/memory_file_layer.h"
#include "platform/private_profile.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// A file operation that fails here is a fault of the harness.
class AbortingHandler : public kelvora::TrapHandler {
 public:
  kelvora::Resume Trap(const kelvora::TrappedError&) override { std::abort(); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  AbortingHandler handler;
  kelvora::MemoryFileLayer files(handler);
  files.WriteWholeFile("Settings.ini", std::string_view(reinterpret_cast<const char*>(data), size));
  kelvora::PrivateProfile profile(files);
  kelvora::Settings settings;
  uint8_t simulation = 1;
  kelvora::LoadSettings(profile, "Settings.ini", settings, simulation);
  kelvora::RaiseHeatPumpSetForward(settings);
  Check(simulation <= 1);
  Check(settings.WIND_Adjust > 0 || settings.WIND_Adjust != settings.WIND_Adjust);
  Check(!(settings.Temp_Dwell > 1.0f) && !(settings.HP_SetForward > 1.0f));
  static_cast<void>(kelvora::ReadIsaPort(profile, "Settings.ini", 0x300));
  kelvora::SaveUserSettings(profile, "Settings.ini", settings);
  kelvora::Settings reloaded = settings;
  kelvora::LoadSettings(profile, "Settings.ini", reloaded, simulation);
  return 0;
}
