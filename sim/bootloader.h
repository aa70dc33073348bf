#pragma once
// How the simulated board restarts into its bootloader when its terminal port receives
// "launch-bootloader": the USB device and its two ports go away, and a moment later the
// bootloader comes back as the same device under the same node names with a new USB device
// number (as a real re-enumeration usually does). The bootloader answers nothing and records
// every byte written to its ports.

#include <chrono>

namespace zelkor::sim {

struct BootloaderOptions {
  enum class Ports {
    come_back,   // go away, then come back renumbered
    stay,        // never go away: the firmware ignores the command
    never_return // go away for good
  };
  Ports ports = Ports::come_back;
  std::chrono::milliseconds gone_after{100}; // from the command until the ports go away
  std::chrono::milliseconds back_after{300}; // from then until the bootloader's ports are back
  // The bootloader's nodes are listed this long before they can be opened. Keep it short: the
  // preload leaks a slot of its descriptor table on every failed open of a node, and aborts the
  // program after about fifty.
  std::chrono::milliseconds unopenable_for{0};
  bool stalled = false; // the bootloader takes no bytes: its writer backs up
};

} // namespace zelkor::sim
