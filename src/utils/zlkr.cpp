#include "utils/zlkr.h"

#include <optional>

#include "utils/firmware.h"

namespace zelkor::utils::zlkr {
namespace {

std::optional<std::size_t> port_position(std::string_view kind) {
  if (kind == "can") {
    return firmware::can_port;
  }
  if (kind == "terminal" || kind == "term") {
    return firmware::terminal_port;
  }
  return std::nullopt;
}

} // namespace

std::expected<serial::Port, std::string> interface(std::string_view kind,
                                                   std::uint64_t timeout_ms) {
  const auto position = port_position(kind);
  if (!position) {
    return std::unexpected("Invalid port kind.");
  }
  auto ports = serial::get_ports(firmware::vendor_id, firmware::product_id);
  if (!ports) {
    return std::unexpected(ports.error() + "\nFailed to auto-detect port. Try rebooting?");
  }
  auto port = serial::claim((*ports)[*position], timeout_ms);
  if (!port) {
    return std::unexpected(
        "Failed to claim interface. It may be in-use by another program, or you may need to run "
        "as root.");
  }
  return std::move(*port);
}

std::expected<std::string, std::string> do_command(std::string_view kind, std::string command,
                                                   std::uint64_t timeout_ms) {
  auto port = interface(kind, timeout_ms);
  if (!port) {
    return std::unexpected(std::move(port.error()));
  }
  if (!port->write(command)) {
    return std::unexpected(std::string(write_failed));
  }
  auto answer = serial::read(*port, 1);
  if (!answer) {
    return std::unexpected(std::string(read_failed));
  }
  return std::move(*answer);
}

} // namespace zelkor::utils::zlkr
