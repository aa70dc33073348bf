#include "utils/chunk.h"

#include <algorithm>
#include <cstddef>

namespace zelkor::utils::chunk {
namespace {

constexpr std::string_view replacement = "\xEF\xBF\xBD";

bool is_continuation(unsigned char c) {
  return (c & 0xC0U) == 0x80U;
}

// Length of the valid UTF-8 sequence starting at text[0], or 0 when it is not valid.
// Follows the well-formed table of Unicode 15, chapter 3: no overlongs, no surrogates, no values
// past U+10FFFF.
std::size_t sequence_length(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80U) {
    return 1;
  }
  std::size_t length = 0;
  unsigned char low = 0x80U;
  unsigned char high = 0xBFU;
  if (lead >= 0xC2U && lead <= 0xDFU) {
    length = 2;
  } else if (lead >= 0xE0U && lead <= 0xEFU) {
    length = 3;
    low = lead == 0xE0U ? 0xA0U : 0x80U;
    high = lead == 0xEDU ? 0x9FU : 0xBFU;
  } else if (lead >= 0xF0U && lead <= 0xF4U) {
    length = 4;
    low = lead == 0xF0U ? 0x90U : 0x80U;
    high = lead == 0xF4U ? 0x8FU : 0xBFU;
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < low || byte(1) > high) {
    return 0;
  }
  for (std::size_t i = 2; i < length; ++i) {
    if (!is_continuation(byte(i))) {
      return 0;
    }
  }
  return length;
}

// U+0000-U+001F, U+007F and U+0080-U+009F, the last two bytes long in UTF-8.
bool is_control(std::string_view character) {
  const auto lead = static_cast<unsigned char>(character[0]);
  if (character.size() == 1) {
    return lead < 0x20U || lead == 0x7FU;
  }
  return character.size() == 2 && lead == 0xC2U && static_cast<unsigned char>(character[1]) < 0xA0U;
}

void append_hex(std::string& out, std::string_view bytes) {
  constexpr std::string_view digits = "0123456789abcdef";
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    out += "\\x";
    out += digits[byte >> 4U];
    out += digits[byte & 0x0FU];
  }
}

} // namespace

void append(std::string& collected, std::span<const char> bytes) {
  std::ranges::copy_if(bytes, std::back_inserter(collected), [](char c) { return c != '\0'; });
}

std::string_view drop_tail(std::string_view text, std::uint64_t count) {
  return count >= text.size() ? std::string_view{} : text.substr(0, text.size() - count);
}

bool is_utf8(std::string_view bytes) {
  while (!bytes.empty()) {
    const std::size_t length = sequence_length(bytes);
    if (length == 0) {
      return false;
    }
    bytes.remove_prefix(length);
  }
  return true;
}

std::expected<void, std::string> check_text(std::string_view bytes) {
  if (!is_utf8(bytes)) {
    return std::unexpected("must be valid UTF-8 text");
  }
  return {};
}

std::size_t character_count(std::string_view text) {
  return static_cast<std::size_t>(std::ranges::count_if(
      text, [](char c) { return !is_continuation(static_cast<unsigned char>(c)); }));
}

std::optional<std::string_view> nth_char(std::string_view text, std::size_t index) {
  for (;;) {
    if (text.empty()) {
      return std::nullopt;
    }
    const std::size_t length = std::max<std::size_t>(1, sequence_length(text));
    if (index == 0) {
      return text.substr(0, length);
    }
    text.remove_prefix(length);
    --index;
  }
}

std::string to_printable(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  while (!bytes.empty()) {
    const std::size_t length = sequence_length(bytes);
    if (length == 0) {
      out += replacement;
      bytes.remove_prefix(1);
    } else {
      out += bytes.substr(0, length);
      bytes.remove_prefix(length);
    }
  }
  return out;
}

std::string escaped(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  while (!bytes.empty()) {
    const std::size_t valid = sequence_length(bytes);
    const std::size_t length = std::max<std::size_t>(1, valid);
    const auto character = bytes.substr(0, length);
    if (valid == 0 || is_control(character)) {
      append_hex(out, character);
    } else {
      out += character;
    }
    bytes.remove_prefix(length);
  }
  return out;
}

} // namespace zelkor::utils::chunk
