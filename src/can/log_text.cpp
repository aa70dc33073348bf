#include "can/log_text.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <ranges>

#include "can/send_text.h"

namespace zelkor::can::log {
namespace {

constexpr std::size_t max_interface_name = 15;
constexpr std::size_t max_data_digits = 2 * send::max_data_bytes;
constexpr std::int64_t micros_per_second = 1'000'000;

bool is_hex(std::string_view text) {
  return std::ranges::all_of(text, send::is_hex_digit);
}

// Appends hexadecimal digits (checked before) in upper case: one append, then the letters
// changed in place, as this runs for every frame of a log.
void append_upper(std::string& lines, std::string_view digits) {
  const auto start = static_cast<std::ptrdiff_t>(lines.size());
  lines.append(digits);
  for (auto& c : std::ranges::subrange(lines.begin() + start, lines.end())) {
    if (c >= 'a' && c <= 'f') {
      c = static_cast<char>(c - 'a' + 'A');
    }
  }
}

// The identifier padded to the width of its frame type, or nothing when it fits neither.
bool append_identifier(std::string& lines, std::string_view id) {
  if (id.empty() || id.size() > extended_digits || !is_hex(id)) {
    return false;
  }
  if (id.size() <= standard_digits) {
    lines.append(standard_digits - id.size(), '0');
    append_upper(lines, id);
    return true;
  }
  std::uint64_t value = 0;
  std::from_chars(id.data(), id.data() + id.size(), value, 16);
  if (value > send::max_extended_id) {
    return false;
  }
  lines.append(extended_digits - id.size(), '0');
  append_upper(lines, id);
  return true;
}

} // namespace

bool is_interface_name(std::string_view name) {
  return !name.empty() && name.size() <= max_interface_name &&
         std::ranges::none_of(name, [](char c) {
           return c == ' ' || c == '/' || std::iscntrl(static_cast<unsigned char>(c)) != 0;
         });
}

void append_time(std::string& lines, WallTime time) {
  // A clock set before the epoch is no time a log can carry.
  const std::int64_t micros = std::max<std::int64_t>(0, time.time_since_epoch().count());
  const std::int64_t seconds = micros / micros_per_second;
  const std::int64_t fraction = micros % micros_per_second;
  std::array<char, 24> digits{}; // any int64
  lines += '(';
  lines.append(digits.data(),
               std::to_chars(digits.data(), digits.data() + digits.size(), seconds).ptr);
  lines += '.';
  const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), fraction).ptr;
  const auto length = static_cast<std::size_t>(end - digits.data());
  lines.append(fraction_digits - length, '0');
  lines.append(digits.data(), end);
  lines += ')';
}

bool append_line(std::string& lines, const listen::Frame& frame, std::string_view interface,
                 WallTime time) {
  return append_line(lines, frame, line_start(time, interface));
}

std::string line_start(WallTime time, std::string_view interface) {
  std::string start;
  append_time(start, time);
  start += ' ';
  start.append(interface);
  start += ' ';
  return start;
}

bool append_line(std::string& lines, const listen::Frame& frame, std::string_view start) {
  if (frame.data.size() % 2 != 0 || frame.data.size() > max_data_digits || !is_hex(frame.data)) {
    return false;
  }
  const std::size_t before = lines.size();
  lines.append(start);
  if (!append_identifier(lines, frame.id)) {
    lines.resize(before);
    return false;
  }
  lines += '#';
  append_upper(lines, frame.data);
  lines += '\n';
  return true;
}

} // namespace zelkor::can::log
