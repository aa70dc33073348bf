#include "cli/numbers.h"

#include <charconv>

namespace zelkor::cli {

std::expected<std::uint64_t, std::string> parse_u64(std::string_view text) {
  if (text.empty()) {
    return std::unexpected("cannot parse integer from empty string");
  }
  // A lone "+" is a sign without digits, not an empty string.
  if (text.starts_with('+') && text.size() > 1) {
    text.remove_prefix(1);
  }
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') {
      return std::unexpected("invalid digit found in string");
    }
  }
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec == std::errc::result_out_of_range) {
    return std::unexpected("number too large to fit in target type");
  }
  return value;
}

CLI::Option* u64(CLI::Option* option) {
  return option->transform(CLI::Validator(
      [](std::string& value) -> std::string {
        auto number = parse_u64(value);
        if (!number) {
          return number.error();
        }
        value = std::to_string(*number);
        return {};
      },
      "", "u64"));
}

} // namespace zelkor::cli
