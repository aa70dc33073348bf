// `can send` as a process: the frame command on the CAN port, the controller's answer printed as
// it came, and nothing on the port for a frame refused. Which frames are refused with which
// message, and how each command is spelt, is the unit table's (can_send_text_test.cpp).
#include "can_support.h"

#include <gtest/gtest.h>

#include <string>

namespace zelkor::e2e {
namespace {

// `zelkor can -n send ARGS...` on a board whose firmware acknowledges each frame command with
// "OK\r\n" (the bus quiet otherwise); the traffic is what the CAN port received. The answer
// window is 1 ms, which a firmware thread starved on a loaded machine can miss: retried.
Exchange send_frame(const Args& args, const std::string& printed, const std::string& sent) {
  return retried(
      [&] {
        Board board({.default_firmware = true});
        board.stream(PortId::can, {}, 0ms);
        Args argv{"can", "-n", "send"};
        argv.insert(argv.end(), args.begin(), args.end());
        Exchange run{zelkor(board, argv), traffic(board, PortId::can, sent)};
        EXPECT_EQ(board.received(PortId::terminal), "") << joined(argv);
        return run;
      },
      printed, sent);
}

// The answer keeps all but its last byte (the controller's line end is "\r\n").
TEST(CanSend, WritesTheFrameCommandAndPrintsTheAnswer) {
  const struct {
    Args args;
    std::string frame;
  } cases[] = {
      {{"0x7ff", "11223344"}, "std 7ff 4 11223344 data"},
      {{"-e", "-r", "1ABCDEF0"}, "ext 1ABCDEF0 remote"},
  };
  for (const auto& c : cases) {
    const auto run = send_frame(c.args, "OK\r\n", c.frame);
    EXPECT_EQ(run.result.out, "OK\r\n") << joined(c.args);
    EXPECT_EQ(run.result.err, "") << joined(c.args);
    EXPECT_EQ(run.result.status, 0) << joined(c.args);
    EXPECT_EQ(run.traffic, c.frame) << joined(c.args);
  }
}

TEST(CanSend, RefusedFrameWritesNothing) {
  const auto run = send_frame({"800", "11"}, "Max standard frame ID is 0x7FF\n", "");
  EXPECT_EQ(run.result.out, "Max standard frame ID is 0x7FF\n");
  EXPECT_EQ(run.result.status, 1);
  EXPECT_EQ(run.traffic, "");
}

TEST(CanSend, SilentControllerPrintsAnEmptyLine) {
  Board board;
  const auto result = zelkor(board, {"can", "-n", "send", "-r", "123"});
  EXPECT_EQ(result.out, "\n");
  EXPECT_EQ(result.status, 0);
  EXPECT_TRUE(board.wait_received(PortId::can, "std 123 remote", 2s));
}

// The answer window is 1 ms: a line the controller sends 12 ms after another belongs to no
// frame. Whether the first line still falls in the window depends on scheduling, so only the
// second is looked for; a run starved for as long as the pause is run again.
TEST(CanSend, TakesNothingPastItsAnswerWindow) {
  const auto run = retried(
      [] {
        Board board;
        board.answer(PortId::can, "std 123 remote", {{"OK\r\n", "LATE\r\n"}, 12ms});
        Exchange attempt{zelkor(board, {"can", "-n", "send", "-r", "123"}),
                         traffic(board, PortId::can, "std 123 remote")};
        const bool late = attempt.result.out.find("LATE") != std::string::npos;
        attempt.result.out = late ? attempt.result.out : "no late line";
        return attempt;
      },
      "no late line", "std 123 remote");
  EXPECT_EQ(run.result.out, "no late line");
  EXPECT_EQ(run.result.status, 0);
  EXPECT_EQ(run.traffic, "std 123 remote");
}

TEST(CanSend, ExchangeErrorsNameTheFrameKind) {
  Board board({.topology = sim::Topology::one_port});
  const auto data = zelkor(board, {"can", "-n", "send", "123", "11"});
  EXPECT_EQ(data.out, std::string("Failed to send data frame: ") + one_port_found + "\n");
  EXPECT_EQ(data.status, 1);
  const auto remote = zelkor(board, {"can", "-n", "send", "-r", "123"});
  EXPECT_EQ(remote.out, std::string("Failed to send remote frame: ") + one_port_found + "\n");
  EXPECT_EQ(remote.status, 1);
}

} // namespace
} // namespace zelkor::e2e
