#include "utils/command_word.h"

#include "utils/chunk.h"

namespace zelkor::utils::command_word {

std::expected<void, std::string> check(std::string_view value) {
  if (value.empty()) {
    return std::unexpected("must not be empty");
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
