#pragma once
// Decides, from successive discoveries of the microcontroller's ports, when its bootloader is
// there to be written to.
//
// Right after "launch-bootloader" the firmware's own ports are usually still listed, and the
// first of them is its CAN interface: the wait must not end on them. The microcontroller shows
// that it restarted either by its ports leaving the listing or by coming back as a new USB
// device (new bus and device numbers), often under the same node names. Once it has, the wait
// ends at the first discovery of two ports that are not the firmware's: a port of the USB
// device with the firmware's bus and device numbers never is the bootloader's. A microcontroller
// that shows no sign of a restart within the grace is taken to be in its bootloader already (an
// earlier update was interrupted), and the update goes on with the ports present.

#include <chrono>
#include <optional>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "utils/serial.h"

namespace zelkor::update {

struct KeepWaiting {};
struct TimedOut {};
struct Ready {
  utils::serial::PortList ports; // two, in discovery order
};
using Verdict = std::variant<KeepWaiting, Ready, TimedOut>;

struct WaitLimits {
  std::chrono::milliseconds grace{2000}; // for a sign of the restart
  std::chrono::milliseconds limit{7000}; // for the whole wait
};

class ResetWatch {
public:
  // `before`: the firmware's two ports, as found before the restart was asked for.
  explicit ResetWatch(std::vector<utils::serial::PortIdentity> before, WaitLimits limits = {});

  // Takes one discovery made `elapsed` after the wait began; nothing when it could not ask
  // udev, which is neither a sign of the restart nor a listing of the bootloader.
  Verdict observe(const std::optional<std::vector<utils::serial::PortIdentity>>& now,
                  std::chrono::milliseconds elapsed);

private:
  [[nodiscard]] bool is_firmware_port(const utils::serial::PortIdentity& port) const;

  std::vector<utils::serial::PortIdentity> before_;
  WaitLimits limits_;
  std::set<std::string> gone_; // firmware nodes that left a listing: whatever has them now is new
  bool restarted_ = false;
};

} // namespace zelkor::update
