#pragma once
// One exchange with the microcontroller: pick a port by its kind word, claim it, write one
// command, read its answer. Every subcommand talks through here, so the failures keep their
// type (and errno) until `message` turns them into the fixed texts users and scripts see.

#include <cstdint>
#include <expected>
#include <string>
#include <string_view>
#include <system_error>
#include <variant>

#include "utils/serial.h"

namespace zelkor::utils::zlkr {

struct InvalidKind {};
struct Discovery {
  std::string text; // get_ports' own message
};
struct Claim {
  std::error_code cause;
};
struct Write {
  std::error_code cause;
};
struct Read {
  serial::ReadError cause;
};
using Error = std::variant<InvalidKind, Discovery, Claim, Write, Read>;

// The fixed text for `error`, ready to print.
std::string message(const Error& error);

// Claims the port named by "can", "terminal" or "term".
std::expected<serial::Port, Error> claim_kind(std::string_view kind, std::uint64_t timeout_ms);

// Writes `command` bare on a claimed port and reads the answer with `truncate`.
std::expected<std::string, Error> talk(serial::Port& port, std::string_view command,
                                       std::uint64_t truncate);

// claim_kind, then talk; the port is released before it returns.
std::expected<std::string, Error> exchange(std::string_view kind, std::string_view command,
                                           std::uint64_t timeout_ms, std::uint64_t truncate);

// claim_kind with its error as text.
std::expected<serial::Port, std::string> interface(std::string_view kind, std::uint64_t timeout_ms);

// exchange with truncate count 1, its error as text.
std::expected<std::string, std::string> do_command(std::string_view kind, std::string command,
                                                   std::uint64_t timeout_ms);

// The line a listener prints on standard error when its port fails mid-stream, naming the port
// and why: "zelkor: /dev/ttyACM0: the device went away".
std::string port_lost(std::string_view path, std::error_code cause);

// Shared by every caller that reports the same failure of an exchange.
inline constexpr std::string_view write_failed =
    "Failed to write to mcu -- it may be in use by another program.";
inline constexpr std::string_view read_failed = "Failed to read response from microcontroller.";
inline constexpr std::string_view kind_claim_failed =
    "Failed to claim interface. It may be in-use by another program, or you may need to run as "
    "root.";

} // namespace zelkor::utils::zlkr
