#include "cmds/config_text.h"

#include <fmt/format.h>

namespace zelkor::cmds::config {

std::string select_command(std::uint8_t number) {
  return fmt::format("user-config {}", number);
}

std::string set_command(std::string_view key, std::string_view value) {
  return fmt::format("set {} {}", key, value);
}

std::string_view switch_word(bool enable) {
  return enable ? "on" : "off";
}

std::string_view listing_field(std::string_view key) {
  return key == "dio-power-switch" ? "power-switch" : key;
}

std::expected<bool, std::string> parse_enable(std::string_view text) {
  if (text == "true") {
    return true;
  }
  if (text == "false") {
    return false;
  }
  return std::unexpected(std::string(not_a_boolean));
}

} // namespace zelkor::cmds::config
