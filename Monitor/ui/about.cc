#include "Monitor/ui/about.h"

#ifndef KELVORA_VERSION
#error "the build names the version in KELVORA_VERSION"
#endif

namespace kelvora {

AboutBox AboutKelvora() {
  AboutBox box;
  box.caption = "About Kelvora - HVAC MONITORING System";
  box.version = KELVORA_VERSION;
  box.text =
      "Kelvora - HVAC Monitoring System\r\n"
      "Version " +
      box.version +
      "\r\n\r\n"
      "Watches the house, runs the burner, the heat pump and the fan from the weekly "
      "schedule, and learns when to start each morning's pre-heat.\r\n\r\n"
      "Copyright (c) the Kelvora authors.\r\n"
      "Support: see the README that comes with the program.";
  box.banner = "about-banner.svg";
  box.picture = "about-house.svg";
  return box;
}

}  // namespace kelvora
