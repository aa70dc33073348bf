// The silence that ends each operation's answer, seen from outside: an answer that pauses for
// longer is cut at the pause, one that pauses for less is taken whole.
#include "support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace zelkor::e2e {
namespace {

using std::chrono::milliseconds;

struct TimeoutCase {
  std::vector<std::string> args;
  std::string sent;
  // Pauses on either side of the operation's time-out, far enough from it (and from the
  // neighbouring time-outs of other operations) to hold on a loaded machine.
  milliseconds kept_pause;
  milliseconds cut_pause;
  std::string printed_when_kept;
  std::string printed_when_cut;
};

void PrintTo(const TimeoutCase& param, std::ostream* out) {
  *out << joined(param.args);
}

const std::vector<std::string> two_lines{"first\r\n", "second\r\n"};

// 25 ms operations: a pause of 5 ms is kept, one of 100 ms cuts (the next longer time-out is
// 250 ms).
TimeoutCase short_op(std::vector<std::string> args, std::string sent) {
  return {std::move(args), std::move(sent), 5ms, 100ms, "first\r\nsecond\n", "first\n"};
}

class OpTimeout : public ::testing::TestWithParam<TimeoutCase> {};

TEST_P(OpTimeout, PauseShorterThanTheTimeoutIsKept) {
  const auto& param = GetParam();
  const auto [result, traffic] = timed_exchange(
      [&](Board& board) {
        board.answer(PortId::terminal, param.sent, {two_lines, param.kept_pause});
      },
      param.args, param.printed_when_kept, param.sent);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, param.printed_when_kept);
  EXPECT_EQ(traffic, param.sent);
}

TEST_P(OpTimeout, PauseLongerThanTheTimeoutCutsTheAnswer) {
  const auto& param = GetParam();
  const auto [result, traffic] = timed_exchange(
      [&](Board& board) {
        board.answer(PortId::terminal, param.sent, {two_lines, param.cut_pause});
      },
      param.args, param.printed_when_cut, param.sent);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, param.printed_when_cut);
}

INSTANTIATE_TEST_SUITE_P(
    Op, OpTimeout,
    ::testing::Values(
        short_op({"kind"}, "kind"), short_op({"version"}, "version"),
        short_op({"can-message", "-i", "1", "-d", "2"}, "can-message 1 2"),
        short_op({"dio-state"}, "dio-state"), short_op({"set-do", "1", "1"}, "set-do -1--"),
        short_op({"set-led", "3", "0"}, "set-led --0-"),
        short_op({"user-config", "-n", "1"}, "user-config 1"),
        short_op({"get-voltage"}, "get-voltage"),
        // 250 ms: above the 100 ms of configuration reads, below the 350 ms of calibration.
        TimeoutCase{{"can-autobaud"}, "can-autobaud", 170ms, 330ms, "first\r\nsecond\n", "first\n"},
        // 350 ms: above 250 ms, below 500 ms.
        TimeoutCase{
            {"cal-voltage", "-r", "24"}, "vcal 24", 270ms, 440ms, "first\r\nsecond\n", "first\n"},
        // 500 ms: above 350 ms. Truncate count 1 keeps the "\r".
        TimeoutCase{{"status"}, "status", 380ms, 700ms, "first\r\nsecond\r\n", "first\r\n"}),
    [](const auto& info) {
      std::string name = info.param.args.front();
      std::erase(name, '-');
      return name;
    });

// get-di reads through the shared exchange with its own 25 ms: the state it picks lies in the
// second part of the answer.
TEST(OpTimeout, GetDiKeepsAShortPause) {
  const auto [result, traffic] = timed_exchange(
      [](Board& board) {
        board.answer(PortId::terminal, "dio-state", {{"x", "10110000\r\n"}, 5ms});
      },
      {"get-di", "1"}, "1\n", "dio-state");
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "1\n");
}

TEST(OpTimeout, GetDiIsCutByALongPause) {
  const std::string printed =
      "Unexpected answer from microcontroller: no state for digital input 1.\n";
  const auto [result, traffic] = timed_exchange(
      [](Board& board) {
        board.answer(PortId::terminal, "dio-state", {{"x", "10110000\r\n"}, 100ms});
      },
      {"get-di", "1"}, printed, "dio-state");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, printed);
}

} // namespace
} // namespace zelkor::e2e
