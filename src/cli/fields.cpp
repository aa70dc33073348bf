#include "cli/fields.h"

#include <CLI/CLI.hpp>

#include "utils/chunk.h"

namespace zelkor::cli {

std::expected<void, std::string> check_command_field(std::string_view value) {
  for (const char c : value) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == ' ' || byte < 0x20 || byte == 0x7f) {
      return std::unexpected("must not contain spaces or control characters");
    }
  }
  if (!utils::chunk::is_utf8(value)) {
    return std::unexpected("must be valid UTF-8 text");
  }
  return {};
}

CLI::Option* refuse_with(CLI::Option* option, std::function<std::string(const std::string&)> reason,
                         std::string type) {
  return option->check(CLI::Validator(std::move(reason), std::move(type)));
}

CLI::Option* command_field(CLI::Option* option) {
  return checked(option, check_command_field);
}

} // namespace zelkor::cli
