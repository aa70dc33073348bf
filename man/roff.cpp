#include "roff.h"

#include <cstdint>
#include <ranges>

#include <fmt/format.h>

namespace zelkor::man {

namespace {

// The code point of the UTF-8 sequence at the start of `text` and its length; a byte that does
// not start a valid sequence stands for itself, so nothing is ever dropped.
std::pair<std::uint32_t, std::size_t> decode(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text.front());
  const std::size_t length = lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc0 ? 2 : 1;
  if (length == 1 || text.size() < length) {
    return {lead, 1};
  }
  std::uint32_t code = lead & (0x7fU >> length);
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[i]);
    if ((next & 0xc0U) != 0x80U) {
      return {lead, 1};
    }
    code = (code << 6U) | (next & 0x3fU);
  }
  return {code, length};
}

std::string escape_line(std::string_view line) {
  std::string out;
  if (line.starts_with('.') || line.starts_with('\'')) {
    out += "\\&"; // would otherwise be read as a request
  }
  while (!line.empty()) {
    const char c = line.front();
    if (static_cast<unsigned char>(c) >= 0x80) {
      const auto [code, length] = decode(line);
      out += fmt::format("\\[u{:04X}]", code);
      line.remove_prefix(length);
      continue;
    }
    if (c == '\\') {
      out += "\\e";
    } else if (c == '-') {
      out += "\\-"; // a minus sign, so options and commands copied from the page still work
    } else {
      out += c;
    }
    line.remove_prefix(1);
  }
  return out;
}

// Backtick-quoted code in bold; an unpaired backtick stays as it is.
std::string with_code(std::string_view line) {
  std::string out;
  while (true) {
    const auto open = line.find('`');
    const auto close = open == std::string_view::npos ? open : line.find('`', open + 1);
    if (close == std::string_view::npos) {
      return out + escape_line(line);
    }
    out += escape_line(line.substr(0, open));
    out += "\\fB" + escape_line(line.substr(open + 1, close - open - 1)) + "\\fR";
    line.remove_prefix(close + 1);
  }
}

} // namespace

std::string escape(std::string_view text) {
  std::string out;
  for (auto line : text | std::views::split('\n')) {
    if (!out.empty()) {
      out += '\n';
    }
    out += escape_line(std::string_view(line.begin(), line.end()));
  }
  return out;
}

std::string paragraphs(std::string_view text) {
  std::string out;
  bool paragraph_open = false;
  bool blank_before = false;
  for (auto range : text | std::views::split('\n')) {
    const std::string_view line(range.begin(), range.end());
    if (line.find_first_not_of(' ') == std::string_view::npos) {
      blank_before = paragraph_open;
      continue;
    }
    if (blank_before) {
      out += ".PP\n";
    } else if (paragraph_open) {
      out += ".br\n";
    }
    out += with_code(line) + "\n";
    paragraph_open = true;
    blank_before = false;
  }
  return out;
}

} // namespace zelkor::man
