#include "utils/ports.h"

#include <charconv>

namespace zelkor::utils::ports {

std::optional<std::uint16_t> parse_usb_id(std::string_view text) {
  std::uint16_t value = 0;
  const char* end = text.data() + text.size();
  // NOLINTNEXTLINE(bugprone-suspicious-stringview-data-usage): from_chars takes the range
  const auto [ptr, ec] = std::from_chars(text.data(), end, value, 16);
  if (text.empty() || ec != std::errc{} || ptr != end) {
    return std::nullopt;
  }
  return value;
}

std::expected<std::vector<std::string>, std::string> judge_count(std::vector<std::string> paths) {
  switch (paths.size()) {
  case 0:
    return std::unexpected("Could not detect any matching ports.");
  case 1:
    return std::unexpected("Only found one matching port, but expected two.");
  case 2:
    return paths;
  default:
    return std::unexpected("Did not find expected number (2) of ports.");
  }
}

} // namespace zelkor::utils::ports
