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

// Accepts what parse_u64 accepts and rewrites the value in plain decimal, so the parser's own
// conversion (which would read "010" as octal) sees the number the user meant.
CLI::Validator u64();

} // namespace zelkor::cli
