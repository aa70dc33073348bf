#pragma once
// The texts `config` sends and reads, built without a port.

#include <cstddef>
#include <cstdint>
#include <expected>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "cmds/config.h"

namespace zelkor::cmds::config {

inline constexpr std::string_view listing_command = "config";
inline constexpr std::string_view save_command = "save-config";
inline constexpr std::string_view not_found = "Failed to determine current configuration.";
inline constexpr std::string_view not_a_boolean = "provided string was not `true` or `false`";
// The listing is long and comes line by line: a read waits this long for its next piece.
inline constexpr std::uint64_t listing_timeout_ms = 100;
// The answer to a set command ends in "\r\n".
inline constexpr std::uint64_t set_truncate = 2;
// The listing's field that names the selected user configuration.
inline constexpr std::string_view selection_field = "user-config";

// "user-config {number}".
std::string select_command(std::uint8_t number);

// "set {key} {value}".
std::string set_command(std::string_view key, std::string_view value);

// How the firmware spells a boolean setting: "on" or "off".
std::string_view switch_word(bool enable);

// The field that holds `key` in the listing: the firmware lists "dio-power-switch" under a
// shorter label.
std::string_view listing_field(std::string_view key);

// What a JSON document's value of `type` must be: "a whole number", "true or false", ...
std::string_view describe(Type type);

// The value of `key`'s field in the "config" listing, as a one-field read finds it.
std::optional<std::string> listed_value(std::string_view listing, std::string_view key);

// What an import prints: "startup-timer: 10 -> 45" for a value it set; "startup-timer: set 45,
// reads 10" for one that did not take (`reads` absent: the listing lacks it); the summary "3
// changed, 8 unchanged, saved"; after a set that failed, the parameters set before it.
std::string change_line(std::string_view name, std::string_view before, std::string_view after);
std::string mismatch_line(std::string_view name, std::string_view set,
                          const std::optional<std::string>& reads);
std::string summary_line(std::size_t changed, std::size_t unchanged, bool saved);
std::string set_before_line(std::span<const std::string_view> names, bool save);

// "true" or "false", exactly.
std::expected<bool, std::string> parse_enable(std::string_view text);

} // namespace zelkor::cmds::config
