#pragma once
// One exchange with the microcontroller: pick a port by its kind word, claim it, talk.

#include <cstdint>
#include <expected>
#include <string>
#include <string_view>

#include "utils/serial.h"

namespace zelkor::utils::zlkr {

// Claims the port named by "can", "terminal" or "term"; the error is ready to print.
std::expected<serial::Port, std::string> interface(std::string_view kind, std::uint64_t timeout_ms);

// Writes `command` bare and returns the answer read with truncate count 1.
std::expected<std::string, std::string> do_command(std::string_view kind, std::string command,
                                                   std::uint64_t timeout_ms);

} // namespace zelkor::utils::zlkr

namespace zelkor::utils::zlkr {

// Shared by every caller that reports the same failure of an exchange.
inline constexpr std::string_view write_failed =
    "Failed to write to mcu -- it may be in use by another program.";
inline constexpr std::string_view read_failed = "Failed to read response from microcontroller.";

} // namespace zelkor::utils::zlkr
