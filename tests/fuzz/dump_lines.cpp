// The dump's lines for any frame the decoder lets through, in every layout, with any delta.

#include <FuzzedDataProvider.h>

#include <charconv>
#include <cmath>
#include <string>
#include <vector>

#include "can/dump_text.h"
#include "check.h"
#include "utils/chunk.h"

using zelkor::fuzz::require;
namespace listen = zelkor::can::listen;

namespace {

void check_shortest(float seconds) {
  const std::string text = listen::shortest_decimal(seconds);
  if (!std::isfinite(seconds)) {
    return;
  }
  require(text.find_first_of("eE") == std::string::npos, "no exponent");
  float back = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), back);
  require(ec == std::errc{} && end == text.data() + text.size(), "the text is a number");
  require(back == seconds, "the text reads back as the value");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const auto delta = input.ConsumeFloatingPoint<float>();
  std::vector<std::string> filter(input.ConsumeIntegralInRange<std::size_t>(0, 3));
  for (std::string& id : filter) {
    id = input.ConsumeRandomLengthString(12);
  }
  const std::string text = input.ConsumeRemainingBytesAsString();
  check_shortest(delta);

  auto frame = listen::decode(text);
  if (!frame) {
    return 0;
  }
  static_cast<void>(listen::keeps(filter, frame->id));
  for (bool csv : {false, true}) {
    for (bool with_delta : {false, true}) {
      const listen::Layout layout{.csv = csv, .delta = with_delta};
      std::string lines = listen::header(layout);
      require(lines.ends_with('\n'), "the header is a line");
      listen::append_line(lines, *frame, delta, layout);
      require(lines.ends_with('\n'), "a frame is a line");
      require(zelkor::utils::chunk::is_utf8(lines), "the lines stay UTF-8");
    }
  }
  return 0;
}
