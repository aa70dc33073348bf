#pragma once
// The rules that turn raw bytes from a port into answer text, kept apart from the port so they
// can be tested without one.

#include <cstddef>
#include <cstdint>
#include <expected>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zelkor::utils::chunk {

// Appends the bytes of one read call, leaving out zero bytes: the firmware never sends them,
// so they can only be line noise.
void append(std::string& collected, std::span<const char> bytes);

// `text` less its last `count` bytes; empty when it is not longer than that.
std::string_view drop_tail(std::string_view text, std::uint64_t count);

bool is_utf8(std::string_view bytes);

// Nothing when `bytes` are UTF-8 text, else the reason a value is refused with.
std::expected<void, std::string> check_text(std::string_view bytes);

// Characters (Unicode scalar values) in valid UTF-8 `text`.
std::size_t character_count(std::string_view text);

// The bytes of the `index`-th character (Unicode scalar value) of valid UTF-8 `text`, or
// nothing when the text is shorter.
std::optional<std::string_view> nth_char(std::string_view text, std::size_t index);

// `bytes` with every invalid UTF-8 sequence replaced by U+FFFD, for printing raw traffic.
std::string to_printable(std::string_view bytes);

// A path or value from outside, made safe to put into a message: each byte of a control
// character (C0, DEL, C1) and each byte that is not part of valid UTF-8 becomes "\x1b" style
// text, so nothing echoed can move the cursor or repaint the user's terminal. Other text,
// backslashes included, stays as typed.
std::string escaped(std::string_view bytes);

} // namespace zelkor::utils::chunk
