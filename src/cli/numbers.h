#pragma once
// Decimal number parsing for command-line values, with the fixed reasons users see on failure.

#include <cstdint>
#include <expected>
#include <string>
#include <string_view>

#include <CLI/CLI.hpp>

namespace zelkor::cli {

// A decimal unsigned 64-bit number with an optional leading "+", or the reason it is not one:
// "cannot parse integer from empty string", "invalid digit found in string" or
// "number too large to fit in target type".
std::expected<std::uint64_t, std::string> parse_u64(std::string_view text);

// Makes `option` accept what parse_u64 accepts, refusing anything else with its reason. The
// value is rewritten in plain decimal first, so CLI11's own conversion (which would read "010"
// as octal) sees the number the user meant.
CLI::Option* u64(CLI::Option* option);

} // namespace zelkor::cli
