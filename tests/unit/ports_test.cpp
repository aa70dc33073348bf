#include "utils/ports.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using namespace zelkor::utils::ports;

TEST(Ports, ParseUsbId) {
  struct Case {
    std::string text;
    std::optional<std::uint16_t> expected;
  };
  const std::vector<Case> cases = {
      {"1fc9", 0x1fc9},         {"00a3", 0x00a3},
      {"1FC9", 0x1fc9},         {"0", 0},
      {"ffff", 0xffff},         {"", std::nullopt},
      {"xyz", std::nullopt},    {"1fc9 ", std::nullopt},
      {"10000", std::nullopt},  {"-1", std::nullopt},
      {"0x1fc9", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(parse_usb_id(c.text), c.expected) << '"' << c.text << '"';
  }
}

TEST(Ports, JudgeCount) {
  using Paths = std::vector<std::string>;
  EXPECT_EQ(judge_count({}).error(), "Could not detect any matching ports.");
  EXPECT_EQ(judge_count(Paths{"/dev/a"}).error(),
            "Only found one matching port, but expected two.");
  EXPECT_EQ(judge_count(Paths{"/dev/a", "/dev/b"}).value(), (Paths{"/dev/a", "/dev/b"}));
  EXPECT_EQ(judge_count(Paths{"/dev/a", "/dev/b", "/dev/c"}).error(),
            "Did not find expected number (2) of ports.");
}

} // namespace
