// The rules that turn a port's bytes into answer text: zero bytes, the dropped tail, UTF-8.

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
  return 0;
}
