#include "cmds/mcu_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

using namespace zelkor::cmds::mcu;

TEST(McuText, CommandTextOfEveryOperation) {
  struct Case {
    Commands command;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {Kind{}, "kind"},
      {Version{}, "version"},
      {CanAutobaud{}, "can-autobaud"},
      {CanMessage{"123", "11223344"}, "can-message 123 11223344"},
      {CanMessage{"800", "xyz"}, "can-message 800 xyz"},
      {DioState{}, "dio-state"},
      {GetDi{2}, "dio-state"},
      {SetDo{2, '1'}, "set-do --1-"},
      {SetDo{3, '0'}, "set-do ---0"},
      {SetDo{0, '1'}, "set-do 1---"},
      {SetLed{1, '0'}, "set-led 0---"},
      {SetLed{4, '1'}, "set-led ---1"},
      {Status{}, "status"},
      {UserConfig{"2", true}, "user-config 2"},
      {GetVoltage{}, "get-voltage"},
      {CalVoltage{19.95F}, "vcal 19.95"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(command_text(c.command), c.expected);
  }
}

TEST(McuText, ReadTimeoutAndTruncatePerOperation) {
  EXPECT_EQ(operation_of(Status{}).timeout_ms, 500U);
  EXPECT_EQ(operation_of(Status{}).truncate, 1U);
  EXPECT_EQ(operation_of(CanAutobaud{}).timeout_ms, 250U);
  EXPECT_EQ(operation_of(CalVoltage{}).timeout_ms, 350U);
  // get-di reads through the shared exchange, which fixes its own count.
  EXPECT_EQ(operation_of(GetDi{}).truncate, std::nullopt);
  EXPECT_EQ(operation_of(Kind{}).timeout_ms, 25U);
  EXPECT_EQ(operation_of(Kind{}).truncate, 2U);
}

// What the user typed, what reaches the firmware after "vcal ".
TEST(McuText, ReferenceRoundTripsAsShortestPlainDecimal) {
  struct Case {
    std::string typed;
    std::string sent;
  };
  const std::vector<Case> cases = {
      {"19.950", "19.95"},
      {"20.0", "20"},
      {"2e1", "20"},
      {".5", "0.5"},
      {"+24", "24"},
      {"-1.25", "-1.25"},
      {"0.1", "0.1"},
      {"1e-3", "0.001"},
      {"12.345678", "12.345678"},
      {"16777217", "16777216"},
      {"1e-50", "0"},
      {"3.4e38", "340000000000000000000000000000000000000"},
      {"0", "0"},
      {"1.5e-7", "0.00000015"},
  };
  for (const auto& c : cases) {
    const auto value = parse_reference(c.typed);
    ASSERT_TRUE(value.has_value()) << c.typed;
    EXPECT_EQ(format_reference(*value), c.sent) << c.typed;
  }
}

TEST(McuText, ReferenceRefusals) {
  struct Case {
    std::string typed;
    std::string reason;
  };
  const std::string not_finite =
      "reference voltage must be a finite number within the range of a 32-bit float";
  const std::vector<Case> cases = {
      {"", "cannot parse float from empty string"},
      {"abc", "invalid float literal"},
      {"19.95V", "invalid float literal"},
      {" 19.95", "invalid float literal"},
      {"+-5", "invalid float literal"},
      {"+", "invalid float literal"},
      {"0x10", "invalid float literal"},
      {"inf", not_finite},
      {"-infinity", not_finite},
      {"NaN", not_finite},
      {"1e39", not_finite},
      {"-1e39", not_finite},
  };
  for (const auto& c : cases) {
    const auto value = parse_reference(c.typed);
    ASSERT_FALSE(value.has_value()) << c.typed;
    EXPECT_EQ(value.error(), c.reason) << c.typed;
  }
}

TEST(McuText, InputStateIsPickedByCharacterPosition) {
  EXPECT_EQ(input_state("10110000", 0).value(), '1');
  EXPECT_EQ(input_state("10110000", 1).value(), '0');
  EXPECT_EQ(input_state("10110000", 3).value(), '1');
  EXPECT_EQ(input_state("1011\r", 3).value(), '1');
  // Characters, not bytes: a multi-byte character counts once.
  EXPECT_EQ(input_state("\xC3\xA9"
                        "0",
                        1)
                .value(),
            '0');

  EXPECT_FALSE(input_state("", 0).has_value());      // silent board
  EXPECT_FALSE(input_state("101", 3).has_value());   // short answer
  EXPECT_FALSE(input_state("ERROR", 0).has_value()); // an error text is no state
  EXPECT_EQ(input_state("", 2).error(),
            "Unexpected answer from microcontroller: no state for digital input 2.");
}

} // namespace
