#pragma once
// The texts `config` sends and reads, built without a port.

#include <cstdint>
#include <expected>
#include <string>
#include <string_view>

namespace zelkor::cmds::config {

inline constexpr std::string_view listing_command = "config";
inline constexpr std::string_view save_command = "save-config";
inline constexpr std::string_view not_found = "Failed to determine current configuration.";
inline constexpr std::string_view not_a_boolean = "provided string was not `true` or `false`";

// "user-config {number}".
std::string select_command(std::uint8_t number);

// "set {key} {value}".
std::string set_command(std::string_view key, std::string_view value);

// How the firmware spells a boolean setting: "on" or "off".
std::string_view switch_word(bool enable);

// The field that holds `key` in the listing: the firmware lists "dio-power-switch" under a
// shorter label.
std::string_view listing_field(std::string_view key);

// "true" or "false", exactly.
std::expected<bool, std::string> parse_enable(std::string_view text);

} // namespace zelkor::cmds::config
