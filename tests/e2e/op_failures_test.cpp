// How `op` ends when it cannot or must not talk to the board.
#include "support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

namespace zelkor::e2e {
namespace {

using ::testing::HasSubstr;

struct RefusalCase {
  const char* name;
  std::vector<std::string> args;
  std::string in_stderr;
};

void PrintTo(const RefusalCase& param, std::ostream* out) {
  *out << param.name;
}

class OpRefusal : public ::testing::TestWithParam<RefusalCase> {};

// Refused by the parser: a message on stderr and not one byte to the board.
TEST_P(OpRefusal, NothingReachesTheBoard) {
  const auto& param = GetParam();
  Board board;
  const auto result = run_op(board, param.args);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_THAT(result.err, HasSubstr(param.in_stderr));
  EXPECT_EQ(terminal_traffic(board, ""), "");
  EXPECT_EQ(board.received(PortId::can), "");
}

INSTANTIATE_TEST_SUITE_P(
    Op, OpRefusal,
    ::testing::Values(
        RefusalCase{"led_0", {"set-led", "0", "1"}, "invalid value '0'"},
        RefusalCase{"led_5", {"set-led", "5", "1"}, "invalid value '5'"},
        RefusalCase{"output_4", {"set-do", "4", "1"}, "invalid value '4'"},
        RefusalCase{"state_2", {"set-do", "1", "2"}, "invalid value '2'"},
        RefusalCase{"input_4", {"get-di", "4"}, "invalid value '4'"},
        RefusalCase{"get_di_without_input", {"get-di"}, "<INPUT>"},
        RefusalCase{"user_config_without_flag", {"user-config", "2"}, "error"},
        RefusalCase{"user_config_5", {"user-config", "-n", "5"}, "invalid value '5'"},
        RefusalCase{"reference_abc", {"cal-voltage", "-r", "abc"}, "invalid float literal"},
        RefusalCase{
            "reference_empty", {"cal-voltage", "-r", ""}, "cannot parse float from empty string"},
        RefusalCase{
            "reference_trailing_text", {"cal-voltage", "-r", "19.95V"}, "invalid float literal"},
        RefusalCase{"reference_inf", {"cal-voltage", "-r", "inf"}, "finite"},
        RefusalCase{"reference_nan", {"cal-voltage", "-r", "nan"}, "finite"},
        RefusalCase{"reference_overflow", {"cal-voltage", "-r", "1e39"}, "finite"},
        RefusalCase{"reference_missing", {"cal-voltage"}, "reference"},
        // Either would put a second command on the firmware's line.
        RefusalCase{"id_with_space",
                    {"can-message", "-i", "123 launch-bootloader", "-d", "00"},
                    "must not contain spaces or control characters"},
        RefusalCase{"id_with_carriage_return",
                    {"can-message", "-i", "123\rlaunch-bootloader", "-d", "00"},
                    "must not contain spaces or control characters"},
        RefusalCase{"data_with_line_feed",
                    {"can-message", "-i", "123", "-d", "00\nkind"},
                    "must not contain spaces or control characters"},
        RefusalCase{"can_message_without_data", {"can-message", "-i", "123"}, "data"},
        RefusalCase{"unknown_operation", {"reboot"}, "reboot"},
        RefusalCase{"extra_argument", {"kind", "now"}, "now"},
        RefusalCase{"no_operation", {}, "Usage: zelkor op <COMMAND>"}),
    [](const auto& info) { return std::string(info.param.name); });

struct DiscoveryCase {
  const char* name;
  sim::Topology topology;
  std::string printed;
};

class OpDiscovery : public ::testing::TestWithParam<DiscoveryCase> {};

// Both exchange paths, the operation's own and the shared one under get-di, report alike.
TEST_P(OpDiscovery, ReportsWhyNoPortWasFound) {
  const auto& param = GetParam();
  Board board({.topology = param.topology});
  for (const auto& args : {std::vector<std::string>{"kind"}, {"get-di", "0"}}) {
    const auto result = run_op(board, args);
    EXPECT_EQ(result.status, 1) << joined(args);
    EXPECT_EQ(result.out, param.printed + "\nFailed to auto-detect port. Try rebooting?\n")
        << joined(args);
    EXPECT_EQ(result.err, "");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Op, OpDiscovery,
    ::testing::Values(DiscoveryCase{"none", sim::Topology::none, none_found},
                      DiscoveryCase{"foreign_vendor", sim::Topology::foreign_vendor, none_found},
                      DiscoveryCase{"one_port", sim::Topology::one_port, only_one_found},
                      DiscoveryCase{"three_ports", sim::Topology::three_ports,
                                    "Did not find expected number (2) of ports."}),
    [](const auto& info) { return std::string(info.param.name); });

// A second program finds the port taken and leaves the holder as it was: its exclusivity and
// the answer waiting for it.
TEST(OpBusyPort, RefusedWhileAnotherProgramHoldsThePort) {
  Board board;
  auto holder = board.spawn({HOLD_PORT_BINARY, "terminal", "50"});
  for (int i = 0; i < 1000 && holder.out_so_far().empty(); ++i) {
    std::this_thread::sleep_for(10ms);
  }
  ASSERT_EQ(holder.out_so_far(), "claimed\n") << holder.err_so_far();
  board.push(PortId::terminal, "pending");

  for (const auto& args : {std::vector<std::string>{"kind"}, {"get-di", "2"}}) {
    const auto result = run_op(board, args);
    EXPECT_EQ(result.status, 1) << joined(args);
    EXPECT_EQ(result.out, kind_claim_failed) << joined(args);
  }

  holder.signal(SIGUSR1);
  const auto held = holder.wait(10s);
  EXPECT_EQ(held.status, 0) << held.err;
  EXPECT_EQ(held.out, "claimed\npending=pending exclusive=1\n");
  EXPECT_EQ(terminal_traffic(board, ""), "");
}

TEST(OpSilentBoard, PrintsAnEmptyLineAndSucceeds) {
  Board board;
  board.set_silent(PortId::terminal, true);
  const auto result = run_op(board, {"version"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "\n");
  EXPECT_EQ(terminal_traffic(board, "version"), "version");
}

struct UnreadableCase {
  const char* name;
  std::vector<std::string> args;
  std::string sent;
};

class OpUnreadableAnswer : public ::testing::TestWithParam<UnreadableCase> {};

TEST_P(OpUnreadableAnswer, ReportsAReadFailure) {
  const auto& param = GetParam();
  const std::string printed = read_failed;
  const auto [result, traffic] = exchange(
      [&](Board& board) { board.answer(PortId::terminal, param.sent, {{"24.1\xff\r\n"}}); },
      param.args, param.sent);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, printed);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(traffic, param.sent);
}

INSTANTIATE_TEST_SUITE_P(
    Op, OpUnreadableAnswer,
    ::testing::Values(UnreadableCase{"get_voltage", {"get-voltage"}, "get-voltage"},
                      UnreadableCase{"status", {"status"}, "status"},
                      UnreadableCase{"get_di", {"get-di", "0"}, "dio-state"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace zelkor::e2e
