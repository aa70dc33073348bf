#pragma once
// The frame command that asks the controller to transmit one frame ("std 123 4 11223344 data",
// "ext 1ABCDEF0 remote"), built from the user's texts after the checks that keep a malformed
// frame off the bus.

#include <expected>
#include <string>
#include <string_view>

#include "can/can.h"

namespace zelkor::can::send {

// What a classic CAN frame can carry.
inline constexpr std::uint64_t max_standard_id = 0x7FF;
inline constexpr std::uint64_t max_extended_id = 0x1FFFFFFF;
inline constexpr std::uint8_t max_data_bytes = 8;

// A hexadecimal digit of either case. ASCII only, whatever the locale: frames and logs are
// ASCII, and the check sits in the dump's per-frame path.
constexpr bool is_hex_digit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// `text` without any number of leading "0x" (lower-case x only).
std::string_view without_prefix(std::string_view text);

// Whether `text` is an optional "+" and at least one hexadecimal digit, with a value that fits
// in `bits` unsigned bits (leading zeros do not count).
bool is_hex_number(std::string_view text, unsigned bits);

// The frame command, or the message that tells the user what is wrong with the frame. The
// identifier and data go out as typed, less their "0x" prefixes: never re-formatted.
std::expected<std::string, std::string_view> frame_command(const Send& frame);

} // namespace zelkor::can::send
