// What the claim and the answer reading do to a port, seen through `raw` run as a process:
// line settings, stale input, answers in pieces, ports that never fall silent or stop
// reading, and a port another process holds.
#include "process_probe.h"
#include "support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <optional>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace zelkor::e2e {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

// Leaves a cooked, echoing 19200-baud line (a pty keeps 8 bits and no parity whatever is asked) on
// the port, as another program might have.
void cook(Board& board, PortId port) {
  const auto r = board.run({"stty", "-F", board.node(port), "sane", "19200"});
  ASSERT_EQ(r.status, 0) << r.err << r.out;
}

struct SettingsCase {
  const char* name;
  PortId port;
  std::function<std::string(const Board&)> selector;
};

void PrintTo(const SettingsCase& param, std::ostream* out) {
  *out << param.name;
}

class RawClaim : public ::testing::TestWithParam<SettingsCase> {};

TEST_P(RawClaim, LeavesNineThousandSixHundredEightNOneRaw) {
  const auto& param = GetParam();
  Board board;
  cook(board, param.port);
  ASSERT_NE(board.line_settings(param.port).c_lflag & ICANON, 0U);

  const auto result = zelkor(board, {"raw", "write", "-p", param.selector(board), "-c", "x"});
  EXPECT_EQ(result.status, 0) << result.out;

  const termios settings = board.line_settings(param.port);
  EXPECT_EQ(cfgetospeed(&settings), B9600);
  EXPECT_EQ(cfgetispeed(&settings), B9600);
  EXPECT_EQ(settings.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), CS8);
  EXPECT_EQ(settings.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0U);
  EXPECT_EQ(settings.c_oflag & OPOST, 0U);
  EXPECT_EQ(settings.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP | IXON), 0U);
}

INSTANTIATE_TEST_SUITE_P(
    Raw, RawClaim,
    ::testing::Values(
        SettingsCase{"can", PortId::can, [](const Board&) { return std::string("can"); }},
        SettingsCase{"terminal", PortId::terminal,
                     [](const Board&) { return std::string("terminal"); }},
        SettingsCase{"device_path", PortId::terminal,
                     [](const Board& board) { return board.node(PortId::terminal); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RawClaimStaleInput, IsDiscardedAndNeverPrinted) {
  Board board;
  board.answer(PortId::terminal, "version", {{"v1\r\n"}});
  board.push(PortId::terminal, "stale\r\n");
  board.push(PortId::can, "1 01\r\n");
  std::this_thread::sleep_for(200ms); // well queued in the port before the claim

  EXPECT_EQ(zelkor(board, {"raw", "write", "-p", "terminal", "-c", "version"}).out, "v1\n");
  EXPECT_EQ(zelkor(board, {"raw", "-c", "0", "write", "-p", "can", "-c", "x"}).out, "\n");
}

// What the previous run wrote and the device has not yet taken in was reported as sent: the
// next claim leaves it to reach the device. A pty keeps most of a long write beyond what the far
// end has read, where flushing the claimed side's output would discard it.
TEST(RawClaimPendingOutput, ReachesTheDeviceAfterTheNextClaim) {
  Board board;
  board.stop_reading(PortId::terminal, true);
  const std::string first(6000, 'a');
  for (const auto& text : {first, std::string("b")}) {
    const auto result = zelkor(board, {"raw", "-c", "0", "write", "-p", "terminal", "-c", text});
    EXPECT_EQ(result.status, 0) << result.out << result.err;
  }
  board.stop_reading(PortId::terminal, false);
  const std::string all = first + "b";
  EXPECT_TRUE(
      eventually([&] { return board.received(PortId::terminal).size() >= all.size(); }, 5s));
  const auto received = board.received(PortId::terminal);
  ASSERT_EQ(received.size(), all.size()); // before six thousand bytes are printed to say so
  EXPECT_EQ(received, all);
}

// Only the answer's own line ending goes, however many reads it took.
TEST(RawAnswer, InPiecesComesBackWholeLessItsLastTwoBytes) {
  Board board;
  board.answer(PortId::terminal, "config", {{"one\r\n", "two\r\n", "three\r\n", "end\r\n"}, 30ms});
  const auto result =
      zelkor(board, {"raw", "-t", "1000", "write", "-p", "terminal", "-c", "config"});
  EXPECT_EQ(result.out, "one\r\ntwo\r\nthree\r\nend\n");
  EXPECT_EQ(result.status, 0);
}

// A busy port that never falls silent still ends the answer after the overall limit, and what
// came by then is the answer.
TEST(RawAnswer, FromABusyPortEndsAtTheOverallLimit) {
  Board board;
  board.stream(PortId::terminal, {"7FF 00\r\n"}, 5ms);
  const auto result = zelkor(board, {"raw", "-c", "0", "write", "-p", "terminal", "-c", "x"}, 10s);
  EXPECT_EQ(result.status, 0);
  EXPECT_THAT(result.out, StartsWith("7FF 00\r\n7FF 00\r\n"));
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(board.received(PortId::terminal), "x");
}

// A flood would otherwise fill memory: past the size cap the answer is a read failure. The long
// time-out keeps the overall limit (20 s) from ending it first.
TEST(RawAnswer, FromAFloodingPortFailsPastTheSizeCap) {
  Board board;
  board.flood(PortId::terminal, true);
  const auto result =
      zelkor(board, {"raw", "-t", "1000", "write", "-p", "terminal", "-c", "x"}, 25s);
  EXPECT_EQ(result.out, read_failed);
  EXPECT_EQ(result.status, 1);
}

// Bigger than the pty can buffer, to a port that does not read: the write gives up after the
// time-out instead of blocking.
TEST(RawWriteToAStuckPort, FailsInsteadOfHanging) {
  Board board;
  board.stop_reading(PortId::terminal, true);
  const auto result =
      zelkor(board, {"raw", "write", "-p", "terminal", "-c", std::string(100'000, 'a')}, 15s);
  EXPECT_EQ(result.out, write_failed);
  EXPECT_EQ(result.status, 1);
  // What the pty held beyond the far end's own buffer was discarded with the failure: it must not
  // reach the device later as part of a command.
  board.stop_reading(PortId::terminal, false);
  std::this_thread::sleep_for(200ms);
  EXPECT_LE(board.received(PortId::terminal).size(), 4096U);
}

// Another program holding the terminal port: hold_port, claimed through the same link layer.
class HeldPort : public ::testing::Test {
protected:
  void SetUp() override {
    holder_.emplace(board_.spawn({HOLD_PORT_BINARY, "terminal", "50"}));
    ASSERT_TRUE(eventually([&] { return holder_->out_so_far() == "claimed\n"; }, 10s))
        << holder_->out_so_far() << holder_->err_so_far();
  }

  // What the holder finds when it reads after the others tried: its pending answer and its
  // exclusive use.
  std::string holder_report() {
    holder_->signal(SIGUSR1);
    return holder_->wait(10s).out;
  }

  Board board_;
  std::optional<sim::Child> holder_;
};

TEST_F(HeldPort, RefusesEveryWayOfNamingItAndWritesNothing) {
  const std::string node = board_.node(PortId::terminal);
  const struct {
    Args args;
    const char* out;
  } attempts[] = {
      {{"raw", "write", "-p", "terminal", "-c", "version"}, kind_claim_failed},
      {{"raw", "write", "-p", node, "-c", "version"}, path_claim_failed},
      {{"raw", "listen", "-p", "terminal"}, kind_claim_failed},
  };
  for (const auto& attempt : attempts) {
    const auto result = zelkor(board_, attempt.args);
    EXPECT_EQ(result.out, attempt.out) << attempt.args[3];
    EXPECT_EQ(result.status, 1) << attempt.args[3];
  }
  EXPECT_EQ(board_.received(PortId::terminal), "");
  EXPECT_EQ(holder_report(), "claimed\npending= exclusive=1\n");
}

// As root the exclusive-use flag alone would let a second claim in; it must still leave the
// holder's answer, line settings and exclusive use alone.
TEST_F(HeldPort, RefusedClaimLeavesTheHolderUntouched) {
  if (geteuid() != 0) {
    GTEST_SKIP() << "needs root, which the exclusive-use flag alone does not stop";
  }
  cook(board_, PortId::terminal); // settings a refused claim would visibly reset
  const termios before = board_.line_settings(PortId::terminal);
  board_.push(PortId::terminal, "answer\r\n");
  std::this_thread::sleep_for(200ms);

  const auto result = zelkor(board_, {"raw", "write", "-p", "terminal", "-c", "version"});
  EXPECT_EQ(result.out, kind_claim_failed);
  EXPECT_EQ(result.status, 1);

  const termios after = board_.line_settings(PortId::terminal);
  EXPECT_EQ(after.c_iflag, before.c_iflag);
  EXPECT_EQ(after.c_oflag, before.c_oflag);
  EXPECT_EQ(after.c_cflag, before.c_cflag);
  EXPECT_EQ(after.c_lflag, before.c_lflag);
  EXPECT_EQ(cfgetospeed(&after), cfgetospeed(&before));
  const auto report = holder_report();
  EXPECT_THAT(report, StartsWith("claimed\npending=answer"));
  EXPECT_THAT(report, HasSubstr(" exclusive=1\n"));
}

} // namespace
} // namespace zelkor::e2e
