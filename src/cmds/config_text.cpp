#include "cmds/config_text.h"

#include <fmt/format.h>

#include "utils/parsing.h"

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

std::string_view describe(Type type) {
  switch (type) {
  case Type::flag:
    return "true or false";
  case Type::whole:
    return "a whole number";
  case Type::number:
    return "a number";
  case Type::word:
    return "a string of one word";
  case Type::none:
    break;
  }
  return "not a parameter";
}

std::optional<std::string> listed_value(std::string_view listing, std::string_view key) {
  return utils::parsing::iterfind(listing, listing_field(key));
}

std::string change_line(std::string_view name, std::string_view before, std::string_view after) {
  return fmt::format("{}: {} -> {}", name, before, after);
}

std::string mismatch_line(std::string_view name, std::string_view set,
                          const std::optional<std::string>& reads) {
  return fmt::format("{}: set {}, reads {}", name, set, reads ? *reads : "nothing");
}

std::string summary_line(std::size_t changed, std::size_t unchanged, bool saved) {
  return fmt::format("{} changed, {} unchanged{}", changed, unchanged, saved ? ", saved" : "");
}

std::string set_before_line(std::span<const std::string_view> names, bool save) {
  return fmt::format("Set before the failure: {}.{}",
                     names.empty() ? "none" : fmt::format("{}", fmt::join(names, ", ")),
                     save ? " Not saved." : "");
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
