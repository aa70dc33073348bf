#include "can/dump_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <iterator>

#include <fmt/format.h>

#include "utils/chunk.h"

namespace zelkor::can::listen {
namespace {

constexpr std::size_t id_width = 8;
constexpr std::size_t data_width = 16;
constexpr std::size_t delta_width = 16;

std::size_t character_count(std::string_view text) {
  return static_cast<std::size_t>(std::ranges::count_if(
      text, [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

} // namespace

std::string header(Layout layout) {
  if (layout.csv) {
    return layout.delta ? "id,len,data,delta\n" : "id,len,data\n";
  }
  std::string line;
  append_right_aligned(line, "id", id_width);
  line += " [l] ";
  append_right_aligned(line, "data", data_width);
  if (layout.delta) {
    line += ' ';
    append_right_aligned(line, "delta", delta_width);
  }
  line += '\n';
  return line;
}

void append_line(std::string& lines, Frame frame, float delta, Layout layout) {
  // Appended piece by piece: this runs for every frame of a busy bus.
  std::array<char, 24> length{}; // any size_t
  const auto length_end =
      std::to_chars(length.data(), length.data() + length.size(), frame.data.size() / 2).ptr;
  const std::string_view length_text(length.data(), length_end);
  if (layout.csv) {
    lines.append(frame.id).append(1, ',').append(length_text).append(1, ',').append(frame.data);
    if (layout.delta) {
      lines.append(1, ',').append(shortest_decimal(delta));
    }
  } else {
    append_right_aligned(lines, frame.id, id_width);
    lines.append(" [").append(length_text).append("] ");
    append_right_aligned(lines, frame.data, data_width);
    if (layout.delta) {
      fmt::format_to(std::back_inserter(lines), " {:>{}.6f}", delta, delta_width);
    }
  }
  lines += '\n';
}

void append_right_aligned(std::string& lines, std::string_view text, std::size_t width) {
  const std::size_t characters = character_count(text);
  if (characters < width) {
    lines.append(width - characters, ' ');
  }
  lines.append(text);
}

std::string shortest_decimal(float seconds) {
  std::array<char, 64> text{}; // the longest fixed float (FLT_MAX) has 39 digits
  const auto [end, ec] =
      std::to_chars(text.data(), text.data() + text.size(), seconds, std::chars_format::fixed);
  return {text.data(), ec == std::errc{} ? end : text.data()};
}

bool keeps(std::span<const std::string> filter, std::string_view id) {
  return filter.empty() || std::ranges::find(filter, id) != filter.end();
}

std::string cannot_open(const std::filesystem::path& path, std::error_code cause) {
  return fmt::format("Could not open output file {}: {}", utils::chunk::to_printable(path.native()),
                     cause.message());
}

std::string cannot_write(const std::filesystem::path& path, std::error_code cause) {
  return fmt::format("Could not write to output file {}: {}",
                     utils::chunk::to_printable(path.native()), cause.message());
}

} // namespace zelkor::can::listen
