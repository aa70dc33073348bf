// Output that cannot be written: standard output on a full device or on a pipe whose reader is
// gone. The run must fail (status 1) without aborting, say why on standard error unless the
// reader simply left, send nothing more to the board and give the port back.
#include "process_probe.h"
#include "support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

namespace zelkor::e2e {
namespace {

constexpr const char* disk_full = "zelkor: cannot write output: No space left on device\n";

// More than a pipe holds, so the answer cannot go out in one write.
const std::string long_answer = std::string(70000, 'x');

enum class Output { full, closed_pipe };

struct Where {
  Output output;
  const char* name;
  const char* err; // what standard error must hold
};

const Where full{Output::full, "full", disk_full};
const Where closed_pipe{Output::closed_pipe, "closed_pipe", ""};

Args under(const Where& where, Args args) {
  args.insert(args.begin(), {WITH_STDOUT_BINARY,
                             where.output == Output::full ? "full" : "closed-pipe", ZELKOR_BINARY});
  return args;
}

struct Case {
  const char* name;
  Args args;
  std::string command; // what the board answers, and so what it must have received
  std::string answer;
};

void PrintTo(const Case& param, std::ostream* out) {
  *out << param.name;
}

class UnwritableOutput : public ::testing::TestWithParam<std::tuple<Case, Where>> {};

TEST_P(UnwritableOutput, FailsWithStatusOneAndReleasesThePort) {
  const auto& [param, where] = GetParam();
  Board board;
  if (!param.command.empty()) {
    board.answer(PortId::terminal, param.command, {{param.answer}});
  }
  const auto result = board.run(under(where, param.args));
  EXPECT_EQ(result.status, 1) << result.err;
  EXPECT_EQ(result.err, where.err);
  EXPECT_EQ(terminal_traffic(board, param.command), param.command);
  EXPECT_EQ(board.received(PortId::can), "");

  // The port is free again for the next run.
  board.answer(PortId::terminal, "version", {{"v1\r\n"}});
  const auto next = zelkor(board, {"raw", "write", "-p", "terminal", "-c", "version"});
  EXPECT_EQ(next.out, "v1\n");
  EXPECT_EQ(next.status, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Output, UnwritableOutput,
    ::testing::Combine(::testing::Values(Case{"version", {"--version"}, "", ""},
                                         Case{"completions", {"--gen-completions", "bash"}, "", ""},
                                         Case{"op_kind", {"op", "kind"}, "kind", "Board\r\n"},
                                         Case{"raw_write_long_answer",
                                              {"raw", "write", "-p", "terminal", "-c", "dump"},
                                              "dump",
                                              long_answer + "\r\n"}),
                       ::testing::Values(full, closed_pipe)),
    [](const auto& info) {
      return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
    });

// A listener started on the CAN port with its output on `where`, once it handles Ctrl-C.
sim::Child listening_into(Board& board, const Where& where) {
  auto child = board.spawn(under(where, {"raw", "listen", "-p", "can"}));
  EXPECT_TRUE(eventually([&] { return catches_sigint(child.pid()); }, 10s)) << child.err_so_far();
  return child;
}

TEST(UnwritableListen, FullDeviceEndsAtTheFirstChunk) {
  Board board;
  auto child = listening_into(board, full);
  board.push(PortId::can, "1 01\r\n");
  const auto result = child.wait(5s);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, disk_full);
  EXPECT_EQ(board.received(PortId::can), "");
  board.answer(PortId::can, "x", {{"ok\r\n"}});
  EXPECT_EQ(zelkor(board, {"raw", "write", "-p", "can", "-c", "x"}).out, "ok\n")
      << "the port is claimable again";
}

// The reader is gone before anything arrives: waiting for the next chunk to fail would hold
// the port for as long as the board stays quiet.
TEST(UnwritableListen, ClosedPipeEndsAtOnceWithoutData) {
  Board board;
  auto child = board.spawn(under(closed_pipe, {"raw", "listen", "-p", "can"}));
  const auto result = child.wait(5s);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(board.received(PortId::can), "");
}

// `zelkor raw listen | head -c 5`: once the reader has its bytes and leaves, the listener ends
// too, with no further traffic needed to notice. A listener that stays is ended by timeout(1)
// ("status 124"), so that it cannot outlive the test holding its output.
TEST(UnwritableListen, ReaderThatLeavesEndsItAtOnce) {
  Board board;
  auto child = board.spawn(
      {"sh", "-c", R"({ timeout 15 "$0" raw listen -p can; echo "status $?" >&2; } | head -c 5)",
       ZELKOR_BINARY});
  board.stream(PortId::can, {"1 01\r\n"}, 50ms);
  ASSERT_TRUE(eventually([&] { return child.out_so_far() == "1 01\n"; }, 10s))
      << child.out_so_far();
  board.stream(PortId::can, {}, 50ms);
  const auto result = child.wait(5s);
  EXPECT_EQ(result.out, "1 01\n");
  EXPECT_EQ(result.err, "status 1\n");
  EXPECT_EQ(result.status, 0);
}

} // namespace
} // namespace zelkor::e2e
