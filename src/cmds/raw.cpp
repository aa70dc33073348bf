#include "cmds/raw.h"

#include <fmt/core.h>

#include "utils/firmware.h"
#include "utils/overloaded.h"
#include "utils/zlkr.h"

namespace zelkor::cmds::raw {
namespace {

std::uint8_t write(const Write& request, const Raw& raw) {
  auto port = get_device(request.port, raw.timeout);
  if (!port) {
    fmt::print("{}\n", port.error());
    return 1;
  }
  if (!port->write(request.command)) {
    fmt::print("{}\n", utils::zlkr::write_failed);
    return 1;
  }
  const auto answer = utils::serial::read(*port, raw.truncate);
  if (!answer) {
    fmt::print("{}\n", utils::zlkr::read_failed);
    return 1;
  }
  fmt::print("{}\n", *answer);
  return 0;
}

// Ctrl-C is the normal end; a port that failed (a board unplugged) must not read as success to
// a script that logs with this.
std::uint8_t listen(const Listen& request, const Raw& raw) {
  auto port = get_device(request.port, raw.timeout);
  if (!port) {
    fmt::print("{}\n", port.error());
    return 1;
  }
  return utils::serial::listen(*port, raw.truncate) ? 0 : 1;
}

std::uint8_t devices() {
  const auto ports =
      utils::serial::get_ports(utils::firmware::vendor_id, utils::firmware::product_id);
  if (!ports) {
    fmt::print("{}\n", ports.error());
    return 1;
  }
  fmt::print("{} - CAN Interface\n{} - Terminal Interface\n", ports->at(utils::firmware::can_port),
             ports->at(utils::firmware::terminal_port));
  return 0;
}

} // namespace

std::expected<utils::serial::Port, std::string> get_device(const std::string& port,
                                                           std::uint64_t timeout) {
  if (port == "terminal" || port == "can") {
    return utils::zlkr::interface(port, timeout);
  }
  auto claimed = utils::serial::claim(port, timeout);
  if (!claimed) {
    return std::unexpected("Failed to claim interface. It may be in-use by another program, you "
                           "may need to run as root, or the interface may not exist.");
  }
  return std::move(*claimed);
}

std::uint8_t handler(Raw raw) {
  return std::visit(utils::Overloaded{
                        [&](const Write& request) { return write(request, raw); },
                        [&](const Listen& request) { return listen(request, raw); },
                        [](const Devices&) { return devices(); },
                    },
                    raw.action);
}

} // namespace zelkor::cmds::raw
