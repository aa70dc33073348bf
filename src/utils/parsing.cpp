#include "utils/parsing.h"

#include <algorithm>

namespace zelkor::utils::parsing {
namespace {

// The configuration labels are ASCII; other bytes pass unchanged, which keeps every UTF-8
// sequence intact.
std::string normalise(std::string_view line) {
  std::string out(line);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    } else if (c == ' ') {
      c = '-';
    }
  }
  return out;
}

std::string value_of(std::string_view line) {
  const auto colon = line.rfind(':');
  std::string value(colon == std::string_view::npos ? line : line.substr(colon + 1));
  std::erase(value, ' ');
  return value;
}

} // namespace

std::optional<std::string> iterfind(std::string_view text, std::string_view key) {
  while (!text.empty()) {
    const auto end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    if (line.ends_with('\r')) {
      line.remove_suffix(1);
    }
    if (normalise(line).find(key) != std::string::npos) {
      return value_of(line);
    }
  }
  return std::nullopt;
}

} // namespace zelkor::utils::parsing
