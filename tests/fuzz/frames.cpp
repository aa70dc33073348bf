// The CAN port's byte stream cut into frame texts and decoded, however the reads split it.

#include <FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "can/frames.h"
#include "check.h"

using zelkor::fuzz::require;
namespace listen = zelkor::can::listen;

namespace {

std::vector<std::string> texts_of(const std::vector<std::string>& reads) {
  listen::FrameSplitter splitter;
  std::vector<std::string> texts;
  for (const std::string& read : reads) {
    splitter.feed(read, [&](std::string_view text) { texts.emplace_back(text); });
  }
  return texts;
}

void check_decoded(std::string_view text) {
  auto frame = listen::decode(text);
  if (!frame) {
    return;
  }
  require(frame->id.find(' ') == std::string_view::npos, "the identifier is one field");
  require(frame->data.find(' ') == std::string_view::npos, "the data is one field");
  require(frame->id.data() == text.data(), "the identifier is the first field");
  require(frame->data.data() >= text.data() &&
              frame->data.data() + frame->data.size() <= text.data() + text.size(),
          "the data lies in the text");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  std::vector<std::string> reads;
  std::string whole;
  while (input.remaining_bytes() > 0) {
    reads.push_back(input.ConsumeRandomLengthString(300));
    whole += reads.back();
  }
  const auto texts = texts_of(reads);
  require(texts == texts_of({whole}), "the reads' boundaries change no text");
  for (const std::string& text : texts) {
    require(!text.empty() && text.size() <= listen::max_frame_text, "a text's length is bounded");
    require(text.find_first_of("\r\n") == std::string::npos, "a text has no line end");
    check_decoded(text);
  }
  check_decoded(whole);
  return 0;
}
