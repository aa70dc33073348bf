#include "can/replay_text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <span>

#include <fmt/format.h>

#include "can/log_text.h"
#include "can/send_text.h"
#include "utils/chunk.h"

namespace zelkor::can::replay {
namespace {

// Set in an 8-digit identifier, it marks an error frame: the controller cannot send one.
constexpr std::uint64_t error_flag = 0x20000000;
constexpr std::size_t max_data_digits = 2 * send::max_data_bytes;
// Seconds beyond this would overflow the microseconds; no clock is near it.
constexpr std::size_t max_second_digits = 12;
constexpr std::size_t max_fraction_digits = 9;

bool is_hex(std::string_view text) {
  return std::ranges::all_of(text, send::is_hex_digit);
}

bool is_decimal(std::string_view text) {
  return std::ranges::all_of(
      text, [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

std::uint64_t value_of(std::string_view digits, int base) {
  std::uint64_t value = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
  return value;
}

// The fields of a line, split at runs of spaces and tabs.
std::vector<std::string_view> fields_of(std::string_view line) {
  std::vector<std::string_view> fields;
  while (true) {
    const auto start = line.find_first_not_of(" \t");
    if (start == std::string_view::npos) {
      return fields;
    }
    line.remove_prefix(start);
    const auto end = line.find_first_of(" \t");
    fields.push_back(line.substr(0, end));
    line.remove_prefix(end == std::string_view::npos ? line.size() : end);
  }
}

// "(SECONDS)" or "(SECONDS.FRACTION)".
std::expected<std::chrono::microseconds, std::string> parse_time(std::string_view field) {
  const auto refused = [&] { return std::unexpected(fmt::format("invalid time \"{}\"", field)); };
  if (field.size() < 3 || field.front() != '(' || field.back() != ')') {
    return refused();
  }
  const std::string_view inner = field.substr(1, field.size() - 2);
  const auto dot = inner.find('.');
  const std::string_view seconds = inner.substr(0, dot);
  const std::string_view fraction =
      dot == std::string_view::npos ? std::string_view{} : inner.substr(dot + 1);
  if (seconds.empty() || seconds.size() > max_second_digits || !is_decimal(seconds) ||
      (dot != std::string_view::npos && fraction.empty()) ||
      fraction.size() > max_fraction_digits || !is_decimal(fraction)) {
    return refused();
  }
  std::string micros(fraction.substr(0, log::fraction_digits));
  micros.append(log::fraction_digits - micros.size(), '0');
  return std::chrono::seconds(value_of(seconds, 10)) +
         std::chrono::microseconds(value_of(micros, 10));
}

std::expected<void, std::string> parse_identifier(std::string_view id, LogFrame& frame) {
  if ((id.size() != log::standard_digits && id.size() != log::extended_digits) || !is_hex(id)) {
    return std::unexpected(fmt::format(
        "invalid identifier \"{}\": 3 hexadecimal digits (standard) or 8 (extended)", id));
  }
  const std::uint64_t value = value_of(id, 16);
  frame.extended = id.size() == log::extended_digits;
  if (!frame.extended && value > send::max_standard_id) {
    return std::unexpected(fmt::format("standard identifier {} is above 7FF", id));
  }
  if (frame.extended && (value & error_flag) != 0) {
    return std::unexpected("error frames cannot be replayed");
  }
  if (frame.extended && value > send::max_extended_id) {
    return std::unexpected(fmt::format("extended identifier {} is above 1FFFFFFF", id));
  }
  frame.identifier = id;
  return {};
}

// What follows the "#": data, or "R" with an optional length for a remote frame.
std::expected<void, std::string> parse_payload(std::string_view payload, LogFrame& frame) {
  if (payload.starts_with('#')) {
    return std::unexpected("CAN FD frames cannot be replayed");
  }
  if (payload.starts_with('R')) {
    const std::string_view length = payload.substr(1);
    if (length.size() > 1 || !is_decimal(length) || value_of(length, 10) > send::max_data_bytes) {
      return std::unexpected(
          fmt::format("invalid remote frame length \"{}\": one digit, 0 to 8", length));
    }
    frame.data.reset();
    return {};
  }
  if (payload.size() % 2 != 0 || payload.size() > max_data_digits || !is_hex(payload)) {
    return std::unexpected(fmt::format(
        "invalid data \"{}\": an even number of hexadecimal digits, at most 16", payload));
  }
  frame.data = std::string(payload);
  return {};
}

std::expected<LogFrame, std::string> parse_frame(std::span<const std::string_view> fields) {
  LogFrame frame{};
  auto time = parse_time(fields[0]);
  if (!time) {
    return std::unexpected(std::move(time.error()));
  }
  frame.time = *time;
  frame.interface = fields[1];
  const std::string_view text = fields[2];
  const auto hash = text.find('#');
  if (hash == std::string_view::npos) {
    return std::unexpected(fmt::format("invalid frame \"{}\": expected ID#DATA or ID#R", text));
  }
  if (auto id = parse_identifier(text.substr(0, hash), frame); !id) {
    return std::unexpected(std::move(id.error()));
  }
  if (auto payload = parse_payload(text.substr(hash + 1), frame); !payload) {
    return std::unexpected(std::move(payload.error()));
  }
  return frame;
}

} // namespace

std::string frame_command(const LogFrame& frame) {
  const bool remote = !frame.data;
  const bool empty = frame.data && frame.data->empty();
  const auto command =
      send::frame_command(Send{.identifier = frame.identifier,
                               .data = empty ? std::optional<std::string>("00") : frame.data,
                               .length = empty ? std::optional<std::uint8_t>(0) : std::nullopt,
                               .extended = frame.extended,
                               .remote = remote});
  // Every frame a log line passed with is one `can send` takes.
  return command.value_or(std::string{});
}

std::expected<std::optional<LogFrame>, std::string> parse_line(std::string_view line) {
  if (line.ends_with('\r')) {
    line.remove_suffix(1);
  }
  // Only text is quoted back in a message.
  if (!utils::chunk::is_utf8(line) || std::ranges::any_of(line, [](char c) {
        return c != '\t' && std::iscntrl(static_cast<unsigned char>(c)) != 0;
      })) {
    return std::unexpected("not a text line");
  }
  const auto fields = fields_of(line);
  if (fields.empty()) {
    return std::nullopt;
  }
  if (fields.size() < 3) {
    return std::unexpected("expected \"(TIME) INTERFACE FRAME\"");
  }
  auto frame = parse_frame(fields);
  if (!frame) {
    return std::unexpected(std::move(frame.error()));
  }
  return std::move(*frame);
}

std::expected<std::vector<LogFrame>, std::string>
parse_log(std::string_view text, std::string_view name,
          const std::optional<std::string>& interface) {
  std::vector<LogFrame> frames;
  std::size_t number = 0;
  while (!text.empty()) {
    const auto end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++number;
    auto frame = parse_line(line);
    if (!frame) {
      return std::unexpected(
          fmt::format("{}:{}: {}", utils::chunk::escaped(name), number, frame.error()));
    }
    if (*frame && (!interface || (*frame)->interface == *interface)) {
      (*frame)->line = number;
      frames.push_back(std::move(**frame));
    }
  }
  if (frames.empty()) {
    return std::unexpected(
        interface ? fmt::format("{}: no frames on interface {}", name, *interface)
                  : fmt::format("{}: no frames to replay", name));
  }
  return frames;
}

} // namespace zelkor::can::replay
