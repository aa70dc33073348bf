#include "utils/zlkr.h"

#include <optional>

#include <fmt/format.h>

#include "utils/chunk.h"
#include "utils/firmware.h"
#include "utils/overloaded.h"

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

template <typename T> std::expected<T, std::string> as_text(std::expected<T, Error> result) {
  if (!result) {
    return std::unexpected(message(result.error()));
  }
  return std::move(*result);
}

} // namespace

std::string message(const Error& error) {
  return std::visit(Overloaded{
                        [](const InvalidKind&) { return std::string("Invalid port kind."); },
                        [](const Discovery& e) {
                          return e.text + "\nFailed to auto-detect port. Try rebooting?";
                        },
                        [](const Claim&) { return std::string(kind_claim_failed); },
                        [](const Write&) { return std::string(write_failed); },
                        [](const Read&) { return std::string(read_failed); },
                    },
                    error);
}

std::string port_lost(std::string_view path, std::error_code cause) {
  // A hang-up, end of file and EIO are what an unplugged device gives.
  const std::string reason =
      cause == std::errc::io_error ? "the device went away" : cause.message();
  return fmt::format("zelkor: {}: {}", chunk::escaped(path), reason);
}

std::expected<serial::Port, Error> claim_kind(std::string_view kind, std::uint64_t timeout_ms) {
  const auto position = port_position(kind);
  if (!position) {
    return std::unexpected(InvalidKind{});
  }
  auto ports = serial::get_ports(firmware::vendor_id, firmware::product_id);
  if (!ports) {
    return std::unexpected(Discovery{std::move(ports.error())});
  }
  auto port = serial::claim((*ports)[*position], timeout_ms);
  if (!port) {
    return std::unexpected(Claim{port.error()});
  }
  return std::move(*port);
}

std::expected<std::string, Error> talk(serial::Port& port, std::string_view command,
                                       std::uint64_t truncate) {
  if (auto written = port.write(command); !written) {
    return std::unexpected(Write{written.error()});
  }
  auto answer = serial::read(port, truncate);
  if (!answer) {
    return std::unexpected(Read{answer.error()});
  }
  return std::move(*answer);
}

std::expected<std::string, Error> exchange(std::string_view kind, std::string_view command,
                                           std::uint64_t timeout_ms, std::uint64_t truncate) {
  auto port = claim_kind(kind, timeout_ms);
  if (!port) {
    return std::unexpected(std::move(port.error()));
  }
  return talk(*port, command, truncate);
}

std::expected<serial::Port, std::string> interface(std::string_view kind,
                                                   std::uint64_t timeout_ms) {
  return as_text(claim_kind(kind, timeout_ms));
}

std::expected<std::string, std::string> do_command(std::string_view kind, std::string command,
                                                   std::uint64_t timeout_ms) {
  return as_text(exchange(kind, command, timeout_ms, 1));
}

} // namespace zelkor::utils::zlkr
