#include "cli/numbers.h"

#include <cmath>

#include <CLI/CLI.hpp>
#include <gtest/gtest.h>

namespace zelkor::cli {
namespace {

TEST(ParseUnsigned, AcceptsDecimalWithOptionalPlus) {
  const std::pair<std::string_view, std::uint64_t> cases[] = {
      {"0", 0}, {"50", 50}, {"+7", 7}, {"010", 10}, {"18446744073709551615", UINT64_MAX},
  };
  for (auto [text, value] : cases) {
    EXPECT_EQ(parse_unsigned(text), value) << text;
  }
}

TEST(ParseUnsigned, GivesTheReasonForEveryRefusal) {
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
    auto parsed = parse_unsigned(text);
    ASSERT_FALSE(parsed) << text;
    EXPECT_EQ(parsed.error(), reason) << text;
  }
}

TEST(ParseUnsigned, AppliesTheTargetWidth) {
  EXPECT_EQ(parse_unsigned("255", UINT8_MAX), 255u);
  EXPECT_EQ(parse_unsigned("256", UINT8_MAX).error(), "number too large to fit in target type");
  EXPECT_EQ(parse_unsigned("-0", UINT8_MAX).error(), "invalid digit found in string");
}

TEST(ParseF32, AcceptsTheFloatGrammar) {
  const std::pair<std::string_view, float> cases[] = {
      {"19.95", 19.95f}, {"20.0", 20.0f}, {"2e1", 20.0f},    {".5", 0.5f},
      {"5.", 5.0f},      {"+1.5", 1.5f},  {"-0.25", -0.25f}, {"1E-2", 0.01f},
      {"1e+2", 100.0f},  {"007", 7.0f},   {"1e-50", 0.0f},
  };
  for (auto [text, value] : cases) {
    EXPECT_EQ(parse_f32(text), value) << text;
  }
  EXPECT_TRUE(std::isinf(*parse_f32("1e50")));
  EXPECT_TRUE(std::isinf(*parse_f32("-Infinity")));
  EXPECT_TRUE(std::isnan(*parse_f32("NaN")));
}

TEST(ParseF32, GivesTheReasonForEveryRefusal) {
  EXPECT_EQ(parse_f32("").error(), "cannot parse float from empty string");
  for (std::string_view text : {"abc", ".", "+", "-", "e5", "1e", "1e+", "1.2.3", " 1", "1 ",
                                "0x10", "nan(1)", "1,5", "--1", "infinit"}) {
    auto parsed = parse_f32(text);
    ASSERT_FALSE(parsed) << text;
    EXPECT_EQ(parsed.error(), "invalid float literal") << text;
  }
}

// The checks hand CLI11 a plain form of the value, so its own conversion agrees with ours.
TEST(NumberChecks, RewriteBeforeConversion) {
  CLI::App app;
  std::uint64_t big = 0;
  u64(app.add_option("--big", big));
  app.parse(std::vector<std::string>{"010", "--big"});
  EXPECT_EQ(big, 10u);
  try {
    app.parse(std::vector<std::string>{"18446744073709551616", "--big"});
    ADD_FAILURE() << "2^64 accepted as u64";
  } catch (const CLI::ValidationError& error) {
    EXPECT_EQ(std::string(error.what()), "--big: number too large to fit in target type");
  }
}

} // namespace
} // namespace zelkor::cli
