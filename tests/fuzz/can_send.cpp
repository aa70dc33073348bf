// The identifier, data and length rules of a frame to send: whatever passes them goes to the
// controller as one frame command and nothing else.

#include <FuzzedDataProvider.h>

#include <algorithm>
#include <optional>
#include <string>

#include "can/send_text.h"
#include "check.h"

using zelkor::fuzz::require;
namespace send = zelkor::can::send;

namespace {

bool is_command_character(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == ' ' ||
         c == '+';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const bool extended = input.ConsumeBool();
  const bool remote = input.ConsumeBool();
  std::optional<std::uint8_t> length;
  if (input.ConsumeBool()) {
    length = input.ConsumeIntegral<std::uint8_t>();
  }
  const auto bits = input.ConsumeIntegralInRange<unsigned>(0, 64);
  const std::string identifier = input.ConsumeRandomLengthString(40);
  std::optional<std::string> payload;
  if (input.ConsumeBool()) {
    payload = input.ConsumeRemainingBytesAsString();
  }

  const std::string_view bare = send::without_prefix(identifier);
  require(!bare.starts_with("0x"), "every prefix is removed");
  if (send::is_hex_number(bare, bits)) {
    require(
        std::ranges::all_of(bare.substr(bare.starts_with('+') ? 1 : 0),
                            [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }),
        "a hex number is hex digits");
  }

  auto command = send::frame_command(zelkor::can::Send{.identifier = identifier,
                                                       .data = payload,
                                                       .length = length,
                                                       .extended = extended,
                                                       .remote = remote});
  if (!command) {
    require(!command.error().empty(), "a refusal says why");
    return 0;
  }
  require(std::ranges::all_of(*command, is_command_character),
          "a frame command is one line of words");
  require(command->starts_with(extended ? "ext " : "std "), "the frame format comes first");
  require(command->ends_with(remote ? " remote" : " data"), "the frame kind comes last");
  return 0;
}
