// The frame command built for `can send`, and the message for every frame it refuses.
#include <gtest/gtest.h>

#include "can/send_text.h"

namespace zelkor::can::send {
namespace {

struct FrameCase {
  const char* identifier;
  std::optional<std::string> data;
  std::optional<std::uint8_t> length;
  bool extended;
  bool remote;
  const char* expected; // the command, or the message when `refused`
  bool refused;
};

void PrintTo(const FrameCase& c, std::ostream* out) {
  *out << c.identifier << " " << c.data.value_or("<no data>") << " -l "
       << (c.length ? std::to_string(*c.length) : "-") << (c.extended ? " -e" : "")
       << (c.remote ? " -r" : "");
}

constexpr const char* invalid_id = "Invalid hex id string";
constexpr const char* standard_range = "Max standard frame ID is 0x7FF";
constexpr const char* extended_range = "Max extended fram ID is 0x1FFFFFFF";
constexpr const char* data_required =
    "Data required when not sending remote frames (e.g. `zelkor can send 123 1122`).";
constexpr const char* too_long = "Data length must be <= 8 bytes!";
constexpr const char* odd = "Malformed data string (incomplete byte? e.g. 112 should be 1102).";
constexpr const char* invalid_data = "Invalid hex data string";

class FrameCommand : public ::testing::TestWithParam<FrameCase> {};

TEST_P(FrameCommand, IsBuiltOrRefusedWithItsMessage) {
  const FrameCase& c = GetParam();
  const auto command = frame_command({c.identifier, c.data, c.length, c.extended, c.remote});
  if (c.refused) {
    ASSERT_FALSE(command.has_value()) << *command;
    EXPECT_EQ(command.error(), c.expected);
  } else {
    ASSERT_TRUE(command.has_value()) << command.error();
    EXPECT_EQ(*command, c.expected);
  }
}

using std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Identifiers, FrameCommand,
    ::testing::Values(
        FrameCase{"7FF", "11", nullopt, false, false, "std 7FF 1 11 data", false},
        FrameCase{"800", "11", nullopt, false, false, standard_range, true},
        FrameCase{"800", "11", nullopt, true, false, "ext 800 1 11 data", false},
        FrameCase{"1FFFFFFF", "11", nullopt, true, false, "ext 1FFFFFFF 1 11 data", false},
        FrameCase{"20000000", "11", nullopt, true, false, extended_range, true},
        FrameCase{"100000000", "11", nullopt, true, false, invalid_id, true},
        // Leading zeros do not count against the 32 bits and stay as typed.
        FrameCase{"0000000123", "11", nullopt, false, false, "std 0000000123 1 11 data", false},
        FrameCase{"0x7ff", "11223344", nullopt, false, false, "std 7ff 4 11223344 data", false},
        FrameCase{"0x0x123", "AB", nullopt, false, false, "std 123 1 AB data", false},
        FrameCase{"0X123", "AB", nullopt, false, false, invalid_id, true},
        FrameCase{"+7ff", "11", nullopt, false, false, "std +7ff 1 11 data", false},
        FrameCase{"++7ff", "11", nullopt, false, false, invalid_id, true},
        FrameCase{"+", "11", nullopt, false, false, invalid_id, true},
        FrameCase{"-1", "11", nullopt, false, false, invalid_id, true},
        FrameCase{"", "11", nullopt, false, false, invalid_id, true},
        FrameCase{"0x", "11", nullopt, false, false, invalid_id, true},
        FrameCase{"12 3", "11", nullopt, false, false, invalid_id, true},
        // The identifier is checked before anything else about the frame.
        FrameCase{"xyz", nullopt, nullopt, false, false, invalid_id, true},
        FrameCase{"800", nullopt, uint8_t{20}, false, false, standard_range, true}));

INSTANTIATE_TEST_SUITE_P(
    Remote, FrameCommand,
    ::testing::Values(FrameCase{"123", nullopt, nullopt, false, true, "std 123 remote", false},
                      FrameCase{"1ABCDEF0", nullopt, nullopt, true, true, "ext 1ABCDEF0 remote",
                                false},
                      // The 0x prefix goes, as in a data frame.
                      FrameCase{"0x7ff", nullopt, nullopt, false, true, "std 7ff remote", false},
                      // Data and length are not looked at for a remote frame.
                      FrameCase{"123", "xyz", uint8_t{20}, false, true, "std 123 remote", false}));

INSTANTIATE_TEST_SUITE_P(
    Data, FrameCommand,
    ::testing::Values(
        FrameCase{"123", nullopt, nullopt, false, false, data_required, true},
        FrameCase{"123", "112", nullopt, false, false, odd, true},
        FrameCase{"123", "112", uint8_t{2}, false, false, "std 123 2 112 data", false},
        FrameCase{"123", "11223344AABBCCDD", nullopt, false, false,
                  "std 123 8 11223344AABBCCDD data", false},
        FrameCase{"123", "11223344AABBCCDDEE", nullopt, false, false, too_long, true},
        // The odd count is found first.
        FrameCase{"123", "11223344AABBCCDDE", nullopt, false, false, odd, true},
        FrameCase{"123", "0x", nullopt, false, false, invalid_data, true},
        FrameCase{"123", "zz", nullopt, false, false, invalid_data, true},
        FrameCase{"123", "zzz", nullopt, false, false, odd, true},
        FrameCase{"123", "", nullopt, false, false, invalid_data, true},
        FrameCase{"123", "0x0xAB", nullopt, false, false, "std 123 1 AB data", false},
        FrameCase{"123", "+0A", uint8_t{1}, false, false, "std 123 1 +0A data", false},
        FrameCase{"123", "00", uint8_t{0}, false, false, "std 123 0 00 data", false},
        FrameCase{"123", "11", uint8_t{8}, false, false, "std 123 8 11 data", false},
        FrameCase{"123", "11", uint8_t{9}, false, false, too_long, true},
        // Characters are counted, not bytes: one character of two bytes is an odd count.
        FrameCase{"123", "ÿ", nullopt, false, false, odd, true},
        // Over 64 bits even with a length given; leading zeros do not count.
        FrameCase{"123", "1FFFFFFFFFFFFFFFF", uint8_t{8}, false, false, invalid_data, true},
        FrameCase{"123", "0001FFFFFFFFFFFFFFFF", uint8_t{8}, false, false, invalid_data, true},
        FrameCase{"123", "0000FFFFFFFFFFFFFFFF", uint8_t{8}, false, false,
                  "std 123 8 0000FFFFFFFFFFFFFFFF data", false}));

TEST(HexNumber, FitsItsWidth) {
  const struct {
    const char* text;
    unsigned bits;
    bool valid;
  } cases[] = {
      {"FFFFFFFF", 32, true},
      {"100000000", 32, false},
      {"000FFFFFFFF", 32, true},
      {"0", 32, true},
      {"+0", 32, true},
      {"aBcD", 32, true},
      {"g", 32, false},
      {" 1", 32, false},
      {"1 ", 32, false},
      {"FFFFFFFFFFFFFFFF", 64, true},
      {"10000000000000000", 64, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(is_hex_number(c.text, c.bits), c.valid) << c.text << " in " << c.bits << " bits";
  }
}

} // namespace
} // namespace zelkor::can::send
