#include "cli/wrap.h"

#include <algorithm>

namespace zelkor::cli {

namespace {

// The narrowest a description gets, however narrow the terminal.
constexpr std::size_t min_text_width = 20;

void wrap_line(std::string_view line, std::size_t indent, std::size_t room, std::string& out) {
  std::size_t used = 0;
  while (!line.empty()) {
    const auto space = line.find(' ');
    const std::string_view word = line.substr(0, space);
    if (used > 0 && used + 1 + word.size() > room) {
      out += '\n';
      out.append(indent, ' ');
      used = 0;
    } else if (used > 0) {
      out += ' ';
      ++used;
    }
    out += word;
    used += word.size();
    line = space == std::string_view::npos ? std::string_view{} : line.substr(space + 1);
  }
}

} // namespace

std::string wrapped(std::string_view text, std::size_t indent, std::size_t width) {
  const std::size_t room = std::max(width > indent ? width - indent : 0, min_text_width);
  std::string out;
  bool first = true;
  while (true) {
    const auto end = text.find('\n');
    if (!first) {
      out += '\n';
      if (!text.empty() && text.front() != '\n') {
        out.append(indent, ' ');
      }
    }
    first = false;
    wrap_line(text.substr(0, end), indent, room, out);
    if (end == std::string_view::npos) {
      return out;
    }
    text.remove_prefix(end + 1);
  }
}

} // namespace zelkor::cli
