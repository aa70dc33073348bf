#pragma once
// `can`: checks the CAN controller's mode and sets the bus baud rate on the terminal port, then
// sends one frame or dumps received frames on the CAN port.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "utils/output.h"

namespace zelkor::can {

struct Send {
  std::string identifier;
  std::optional<std::string> data;
  std::optional<std::uint8_t> length;
  bool extended = false;
  bool remote = false;
};

struct Dump {
  // Absent without -f; present and possibly empty with it. Either way empty keeps every frame.
  std::optional<std::vector<std::string>> filter;
  bool delta = false;
  std::optional<std::filesystem::path> output; // the bytes the user gave, not necessarily UTF-8
  bool csv = false;
};

using CanActions = std::variant<Send, Dump>;

struct Action {
  std::optional<std::string> baudrate; // passed to the controller exactly as typed
  bool nocheck = false;
  CanActions action;
};

// The mode check (unless `nocheck`), the baud rate (when given), then the action; the terminal
// port is released before the CAN port is claimed.
std::uint8_t handler(Action action, utils::output::Sink& out);

} // namespace zelkor::can
