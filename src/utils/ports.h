#pragma once
// Port discovery decisions that need no udev: reading USB ids and judging the match count.

#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelkor::utils::ports {

// A udev USB id property ("1fc9"): hexadecimal, whole text, 16 bits.
std::optional<std::uint16_t> parse_usb_id(std::string_view text);

// Exactly two matching paths is the microcontroller; any other count gets its fixed text.
std::expected<std::vector<std::string>, std::string> judge_count(std::vector<std::string> paths);

} // namespace zelkor::utils::ports
