// `raw devices` on every kind of machine, and the option values `raw` checks before any action.
#include "support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zelkor::e2e {
namespace {

using sim::Topology;
using ::testing::HasSubstr;

struct DevicesCase {
  const char* name;
  sim::BoardOptions options;
  const char* error; // nullptr: the board's two ports are listed
};

void PrintTo(const DevicesCase& param, std::ostream* out) {
  *out << param.name;
}

class RawDevices : public ::testing::TestWithParam<DevicesCase> {};

TEST_P(RawDevices, ListsTheTwoPortsOrSaysWhyNot) {
  const auto& param = GetParam();
  Board board(param.options);
  const auto result = zelkor(board, {"raw", "devices"});
  EXPECT_EQ(result.err, "");
  if (param.error == nullptr) {
    EXPECT_EQ(result.out, board.node(PortId::can) + " - CAN Interface\n" +
                              board.node(PortId::terminal) + " - Terminal Interface\n");
    EXPECT_EQ(result.status, 0);
  } else {
    EXPECT_EQ(result.out, std::string(param.error) + "\n");
    EXPECT_EQ(result.status, 1);
  }
  EXPECT_EQ(board.received(PortId::can), "");
  EXPECT_EQ(board.received(PortId::terminal), "");
}

INSTANTIATE_TEST_SUITE_P(
    Raw, RawDevices,
    ::testing::Values(
        DevicesCase{"two_ports", {}, nullptr},
        DevicesCase{"two_ports_among_platform_ttys", {.extra_ttys = 2}, nullptr},
        DevicesCase{"bad_vendor_id_left_out", {.topology = Topology::bad_vendor_id}, nullptr},
        DevicesCase{"none", {.topology = Topology::none}, none_found},
        DevicesCase{"one_port", {.topology = Topology::one_port}, only_one_found},
        DevicesCase{"three_ports",
                    {.topology = Topology::three_ports},
                    "Did not find expected number (2) of ports."},
        DevicesCase{"foreign_vendor", {.topology = Topology::foreign_vendor}, none_found},
        DevicesCase{"non_usb", {.topology = Topology::non_usb}, none_found}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RawDevicesPaths, AreTheBoardsTwoNodes) {
  Board board;
  EXPECT_EQ(zelkor(board, {"raw", "devices"}).out,
            "/dev/ttyACM0 - CAN Interface\n/dev/ttyACM1 - Terminal Interface\n");
}

struct NumberCase {
  std::string option;
  std::string value;
  const char* reason;
};

void PrintTo(const NumberCase& param, std::ostream* out) {
  *out << param.option << " '" << param.value << "'";
}

class RawNumbers : public ::testing::TestWithParam<NumberCase> {};

// Checked for every action, although `devices` uses neither value.
TEST_P(RawNumbers, BadValueIsACommandLineError) {
  const auto& param = GetParam();
  Board board;
  const auto result = zelkor(board, {"raw", param.option, param.value, "devices"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_THAT(result.err, HasSubstr(param.reason));
}

constexpr const char* invalid_digit = "invalid digit found in string";
constexpr const char* empty = "cannot parse integer from empty string";
constexpr const char* too_large = "number too large to fit in target type";

INSTANTIATE_TEST_SUITE_P(
    Raw, RawNumbers,
    ::testing::Values(NumberCase{"-t", "abc", invalid_digit}, NumberCase{"-t", "-1", invalid_digit},
                      NumberCase{"-t", "1.5", invalid_digit}, NumberCase{"-t", "", empty},
                      NumberCase{"-t", "18446744073709551616", too_large},
                      NumberCase{"--truncate", "abc", invalid_digit}, NumberCase{"-c", "", empty},
                      NumberCase{"-c", "99999999999999999999", too_large}));

TEST(RawNumbersLargest, FitsInSixtyFourBits) {
  Board board;
  const auto result =
      zelkor(board, {"raw", "-t", "18446744073709551615", "-c", "18446744073709551615", "devices"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
}

} // namespace
} // namespace zelkor::e2e
