#include "update/reset_watch.h"

#include <algorithm>

namespace zelkor::update {

ResetWatch::ResetWatch(std::vector<utils::serial::PortIdentity> before, WaitLimits limits)
    : before_(std::move(before)), limits_(limits) {}

Verdict ResetWatch::observe(const std::optional<std::vector<utils::serial::PortIdentity>>& found,
                            std::chrono::milliseconds elapsed) {
  if (!found) {
    return elapsed >= limits_.limit ? Verdict{TimedOut{}} : Verdict{KeepWaiting{}};
  }
  const auto& now = *found;
  for (const auto& old : before_) {
    if (std::ranges::none_of(now, [&](const auto& port) { return port.node == old.node; })) {
      gone_.insert(old.node);
    }
  }
  // Listed in another order is still the same firmware.
  restarted_ = restarted_ || now.size() != before_.size() ||
               std::ranges::any_of(now, [this](const auto& port) {
                 return std::ranges::find(before_, port) == before_.end();
               });
  if (restarted_) {
    if (now.size() == 2 &&
        std::ranges::none_of(now, [this](const auto& port) { return is_firmware_port(port); })) {
      return Ready{utils::serial::nodes_of(now)};
    }
  } else if (elapsed >= limits_.grace) {
    return Ready{utils::serial::nodes_of(now)};
  }
  if (elapsed >= limits_.limit) {
    return TimedOut{};
  }
  return KeepWaiting{};
}

bool ResetWatch::is_firmware_port(const utils::serial::PortIdentity& port) const {
  // A restart renumbers the USB device, so the old numbers are the firmware's under any node.
  const bool numbered = !port.busnum.empty() && !port.devnum.empty();
  if (numbered && std::ranges::any_of(before_, [&](const auto& old) {
        return old.busnum == port.busnum && old.devnum == port.devnum;
      })) {
    return true;
  }
  return std::ranges::find(before_, port) != before_.end() && !gone_.contains(port.node);
}

} // namespace zelkor::update
