// The field search over a configuration listing as the controller (or line noise) sends it.

#include <FuzzedDataProvider.h>

#include "check.h"
#include "utils/parsing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string key = input.ConsumeRandomLengthString(64);
  const std::string text = input.ConsumeRemainingBytesAsString();
  if (auto value = zelkor::utils::parsing::iterfind(text, key)) {
    zelkor::fuzz::require(value->find(' ') == std::string::npos, "a value has no spaces");
    zelkor::fuzz::require(value->find('\n') == std::string::npos, "a value is one line");
    zelkor::fuzz::require(value->size() <= text.size(), "a value comes from the text");
  }
  return 0;
}
