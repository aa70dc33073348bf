// The rules that turn a port's bytes into answer text (zero bytes, the dropped tail, UTF-8), and
// the escaping of any text a message echoes back to the user's terminal.

#include <FuzzedDataProvider.h>

#include <algorithm>

#include "check.h"
#include "utils/chunk.h"

using zelkor::fuzz::require;
namespace chunk = zelkor::utils::chunk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const auto tail = input.ConsumeIntegral<std::uint64_t>();
  const std::string bytes = input.ConsumeRemainingBytesAsString();

  std::string collected;
  chunk::append(collected, bytes);
  require(collected.find('\0') == std::string::npos, "no zero byte is kept");
  require(collected.size() ==
              bytes.size() - static_cast<std::size_t>(std::ranges::count(bytes, '\0')),
          "every other byte is kept");

  const std::string_view kept = chunk::drop_tail(collected, tail);
  require(collected.starts_with(kept), "the tail is cut from the end");
  require(kept.size() == (tail >= collected.size() ? 0 : collected.size() - tail),
          "exactly the tail is cut");

  const std::string printable = chunk::to_printable(bytes);
  require(chunk::is_utf8(printable), "printable text is UTF-8");
  const bool valid = chunk::is_utf8(bytes);
  require(!valid || printable == bytes, "UTF-8 text prints unchanged");
  if (valid) {
    std::string joined;
    std::size_t index = 0;
    while (auto character = chunk::nth_char(bytes, index)) {
      require(!character->empty() && character->size() <= 4, "a character is 1 to 4 bytes");
      joined += *character;
      ++index;
    }
    require(joined == bytes, "the characters make up the text");
  }

  // Escaped, nothing can move the cursor (no C0, DEL or C1 control) and the text is UTF-8;
  // text that has none of them is shown as it is.
  const std::string shown = chunk::escaped(bytes);
  require(chunk::is_utf8(shown), "escaped text is UTF-8");
  const auto is_control = [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return b < 0x20 || b == 0x7f;
  };
  const auto has_c1 = [](std::string_view text) {
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
      const auto next = static_cast<unsigned char>(text[i + 1]);
      if (static_cast<unsigned char>(text[i]) == 0xc2 && next >= 0x80 && next <= 0x9f) {
        return true;
      }
    }
    return false;
  };
  require(std::ranges::none_of(shown, is_control) && !has_c1(shown), "no control is shown");
  const bool plain = valid && std::ranges::none_of(bytes, is_control) && !has_c1(bytes);
  require(!plain || shown == bytes, "plain text is shown unchanged");
  return 0;
}
