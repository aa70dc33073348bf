#include "cli/numbers.h"

#include <gtest/gtest.h>

namespace zelkor::cli {
namespace {

TEST(ParseU64, AcceptsDecimalWithOptionalPlus) {
  const std::pair<std::string_view, std::uint64_t> cases[] = {
      {"0", 0}, {"50", 50}, {"+7", 7}, {"010", 10}, {"18446744073709551615", UINT64_MAX},
  };
  for (auto [text, value] : cases) {
    EXPECT_EQ(parse_u64(text), value) << text;
  }
}

TEST(ParseU64, GivesTheReasonForEveryRefusal) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"", "cannot parse integer from empty string"},
      {"+", "invalid digit found in string"},
      {"abc", "invalid digit found in string"},
      {"-1", "invalid digit found in string"},
      {"++1", "invalid digit found in string"},
      {" 1", "invalid digit found in string"},
      {"0x10", "invalid digit found in string"},
      {"1.5", "invalid digit found in string"},
      {"18446744073709551616", "number too large to fit in target type"},
      {"99999999999999999999999", "number too large to fit in target type"},
  };
  for (auto [text, reason] : cases) {
    auto parsed = parse_u64(text);
    ASSERT_FALSE(parsed) << text;
    EXPECT_EQ(parsed.error(), reason) << text;
  }
}

} // namespace
} // namespace zelkor::cli
