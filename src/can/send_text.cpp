#include "can/send_text.h"

#include <algorithm>
#include <charconv>

#include <fmt/format.h>

#include "utils/chunk.h"

namespace zelkor::can::send {
namespace {

constexpr unsigned id_bits = 32;
constexpr unsigned data_bits = 64;

constexpr std::string_view invalid_id = "Invalid hex id string";
constexpr std::string_view standard_id_too_large = "Max standard frame ID is 0x7FF";
constexpr std::string_view extended_id_too_large = "Max extended fram ID is 0x1FFFFFFF";
constexpr std::string_view data_required =
    "Data required when not sending remote frames (e.g. `zelkor can send 123 1122`).";
constexpr std::string_view data_too_long = "Data length must be <= 8 bytes!";
constexpr std::string_view odd_digits =
    "Malformed data string (incomplete byte? e.g. 112 should be 1102).";
constexpr std::string_view invalid_data = "Invalid hex data string";

// The value of a text that passed is_hex_number.
std::uint64_t hex_value(std::string_view text) {
  const std::string_view digits = text.substr(text.starts_with('+') ? 1 : 0);
  std::uint64_t value = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
  return value;
}

std::expected<std::uint8_t, std::string_view> data_length(std::string_view data,
                                                          std::optional<std::uint8_t> length) {
  if (length) {
    if (*length > max_data_bytes) {
      return std::unexpected(data_too_long);
    }
    return *length;
  }
  // Characters, not bytes: the parser only lets UTF-8 text through.
  const std::size_t digits = utils::chunk::character_count(data);
  if (digits % 2 != 0) {
    return std::unexpected(odd_digits);
  }
  if (digits > 2 * max_data_bytes) {
    return std::unexpected(data_too_long);
  }
  return static_cast<std::uint8_t>(digits / 2);
}

} // namespace

std::string_view without_prefix(std::string_view text) {
  while (text.starts_with("0x")) {
    text.remove_prefix(2);
  }
  return text;
}

bool is_hex_number(std::string_view text, unsigned bits) {
  if (text.starts_with('+')) {
    text.remove_prefix(1);
  }
  if (text.empty() || !std::ranges::all_of(text, is_hex_digit)) {
    return false;
  }
  const auto first_significant = text.find_first_not_of('0');
  const std::size_t significant =
      first_significant == std::string_view::npos ? 0 : text.size() - first_significant;
  return significant <= bits / 4;
}

std::expected<std::string, std::string_view> frame_command(const Send& frame) {
  const std::string_view id = without_prefix(frame.identifier);
  if (!is_hex_number(id, id_bits)) {
    return std::unexpected(invalid_id);
  }
  const std::uint64_t id_value = hex_value(id);
  if (!frame.extended && id_value > max_standard_id) {
    return std::unexpected(standard_id_too_large);
  }
  if (frame.extended && id_value > max_extended_id) {
    return std::unexpected(extended_id_too_large);
  }
  const std::string_view format = frame.extended ? "ext" : "std";
  if (frame.remote) {
    return fmt::format("{} {} remote", format, id);
  }
  if (!frame.data) {
    return std::unexpected(data_required);
  }
  const std::string_view payload = without_prefix(*frame.data);
  const auto bytes = data_length(payload, frame.length);
  if (!bytes) {
    return std::unexpected(bytes.error());
  }
  if (!is_hex_number(payload, data_bits)) {
    return std::unexpected(invalid_data);
  }
  return fmt::format("{} {} {} {} data", format, id, *bytes, payload);
}

} // namespace zelkor::can::send
