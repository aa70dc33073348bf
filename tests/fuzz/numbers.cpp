// The number and float checks of command-line values, against the C library's reading.

#include <FuzzedDataProvider.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "check.h"
#include "cli/numbers.h"

using zelkor::fuzz::require;

namespace {

void check_unsigned(const std::string& text, std::uint64_t max) {
  auto number = zelkor::cli::parse_unsigned(text, max);
  if (!number) {
    return;
  }
  require(*number <= max, "a number stays within its limit");
  const std::string digits = text.substr(text.starts_with('+') ? 1 : 0);
  require(digits.find_first_not_of("0123456789") == std::string::npos, "only digits pass");
  errno = 0;
  require(std::strtoull(digits.c_str(), nullptr, 10) == *number && errno == 0,
          "the value is the digits' value");
}

bool same(float a, float b) {
  return (std::isnan(a) && std::isnan(b) && std::signbit(a) == std::signbit(b)) ||
         std::memcmp(&a, &b, sizeof a) == 0;
}

void check_float(const std::string& text) {
  auto number = zelkor::cli::parse_f32(text);
  if (!number || text.find('\0') != std::string::npos) {
    return;
  }
  // Accepted texts are a subset of what strtof reads whole (which also takes hexadecimal).
  char* end = nullptr;
  const float expected = std::strtof(text.c_str(), &end);
  require(end == text.c_str() + text.size(), "an accepted float is read whole by the C library");
  require(same(*number, expected), "an accepted float has the C library's value");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const auto max = input.ConsumeIntegral<std::uint64_t>();
  const std::string text = input.ConsumeRemainingBytesAsString();
  check_unsigned(text, max);
  check_unsigned(text, UINT64_MAX);
  check_float(text);
  return 0;
}
