#pragma once
// `raw`: direct access to the microcontroller's serial ports, for debugging.

#include <cstdint>
#include <expected>
#include <string>
#include <variant>

#include "utils/output.h"
#include "utils/serial.h"

namespace zelkor::cmds::raw {

struct Write {
  std::string port;
  std::string command;
};

struct Listen {
  std::string port;
};

struct Devices {
  bool json = false; // {"can": "/dev/ttyACM0", "terminal": "/dev/ttyACM1"}
};

using RawAction = std::variant<Write, Listen, Devices>;

struct Raw {
  std::uint64_t timeout = 50;
  std::uint64_t truncate = 2;
  RawAction action;
};

// Claims the port named by `port`: "can" or "terminal", or else a device path.
std::expected<utils::serial::Port, std::string> get_device(const std::string& port,
                                                           std::uint64_t timeout);

std::uint8_t handler(Raw raw, utils::output::Sink& out);

} // namespace zelkor::cmds::raw
