#include "cli/fields.h"

#include <fmt/format.h>

#include "utils/chunk.h"

namespace zelkor::cli {
namespace {

// The longest value placed in a command: far past any field the firmware has, far short of
// what would fill its line.
constexpr std::size_t max_command_field = 64;

} // namespace

std::expected<void, std::string> check_command_field(std::string_view value) {
  if (value.size() > max_command_field) {
    return std::unexpected(fmt::format("must be at most {} bytes long", max_command_field));
  }
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

CLI::Option* command_field(CLI::Option* option) {
  return checked(option, check_command_field);
}

} // namespace zelkor::cli
