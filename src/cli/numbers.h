#pragma once
// Number parsing for command-line values, with the fixed reasons users see on failure, and the
// option checks built on it. Each check rewrites the accepted value in plain form before
// CLI11's own conversion sees it (that conversion would read "010" as octal, for one).

#include <cstdint>
#include <expected>
#include <string>
#include <string_view>

namespace CLI {
class Option;
} // namespace CLI

namespace zelkor::cli {

// A decimal unsigned number no larger than `max`, with an optional leading "+", or the reason
// it is not one: "cannot parse integer from empty string", "invalid digit found in string" or
// "number too large to fit in target type".
std::expected<std::uint64_t, std::string> parse_unsigned(std::string_view text,
                                                         std::uint64_t max = UINT64_MAX);

// A 32-bit floating-point number: optional sign, decimal digits with an optional point and
// exponent, or inf, infinity, nan in any case; values beyond the range become infinite. The
// reasons are "cannot parse float from empty string" and "invalid float literal".
std::expected<float, std::string> parse_f32(std::string_view text);

// Restrict `option` to what the parsers above accept, refusing anything else with the reason.
CLI::Option* u64(CLI::Option* option);
CLI::Option* u8(CLI::Option* option);

} // namespace zelkor::cli
