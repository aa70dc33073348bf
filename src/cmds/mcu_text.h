#pragma once
// The texts `op` sends and reads, built without a port.

#include <cstdint>
#include <expected>
#include <string>
#include <string_view>

#include "cmds/mcu.h"

namespace zelkor::cmds::mcu {

// The firmware command for every operation but the second exchange of `user-config`.
std::string command_text(const Commands& command);

// Four positions, '-' for "leave as is" and `state` at `position`.
std::string output_mask(std::size_t position, char state);

// The shortest plain decimal that reads back as the same float: 19.95, 20, 0.5.
std::string format_reference(float reference);

// A finite 32-bit float, or the reason it is not one.
std::expected<float, std::string> parse_reference(std::string_view text);

// The state of digital input `input` in a "dio-state" answer: '0' or '1'.
std::expected<char, std::string> input_state(std::string_view answer, std::uint8_t input);

} // namespace zelkor::cmds::mcu
