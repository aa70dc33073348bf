#include "utils/command_word.h"

#include <fmt/format.h>

#include "utils/chunk.h"

namespace zelkor::utils::command_word {
namespace {

// The longest value placed in a command: far past any field the firmware has, far short of
// what would fill its line.
constexpr std::size_t max_length = 64;

} // namespace

std::expected<void, std::string> check(std::string_view value) {
  if (value.empty()) {
    return std::unexpected("must not be empty");
  }
  if (value.size() > max_length) {
    return std::unexpected(fmt::format("must be at most {} bytes long", max_length));
  }
  for (const char c : value) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == ' ' || byte < 0x20 || byte == 0x7f) {
      return std::unexpected("must not contain spaces or control characters");
    }
  }
  return chunk::check_text(value);
}

} // namespace zelkor::utils::command_word
