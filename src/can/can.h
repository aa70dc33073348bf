#pragma once
// `can`: checks the CAN controller's mode and sets the bus baud rate on the terminal port, then
// sends one frame, dumps received frames or replays a log on the CAN port.

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
  bool log = false;                     // the log format (-L), which neither -c nor -d goes with
  std::optional<std::string> interface; // the log's interface name, when not the default
  std::optional<std::uint64_t> count;   // ends the dump after this many written frames
  std::optional<std::uint64_t> idle_ms; // ends it when no frame came for this long
};

struct Replay {
  std::filesystem::path file;           // "-" for standard input
  std::optional<std::string> interface; // only that interface's lines, when given
  bool ignore_timestamps = false;
};

using CanActions = std::variant<Send, Dump, Replay>;

struct Action {
  std::optional<std::string> baudrate; // passed to the controller exactly as typed
  bool nocheck = false;
  CanActions action;
};

// The mode check (unless `nocheck`), the baud rate (when given), then the action; the terminal
// port is released before the CAN port is claimed. A replay's log is read and checked first:
// a bad log touches no port.
std::uint8_t handler(Action action, utils::output::Sink& out);

} // namespace zelkor::can
