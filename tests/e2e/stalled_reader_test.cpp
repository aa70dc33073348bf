// A reader that stalls (`| less` left on one page, a stalled ssh session) leaves the program
// blocked in a write to a full pipe. Ctrl-C must still end the run at once and release the port.
#include "can_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <thread>

namespace zelkor::e2e {
namespace {

TEST(StalledReader, CtrlCEndsTheRunAndReleasesThePort) {
  for (const Args& command : {Args{"raw", "listen", "-p", "can"}, Args{"can", "-n", "dump"}}) {
    SCOPED_TRACE(command.front());
    Board board;
    Args argv{WITH_STDOUT_BINARY, "unread-pipe", ZELKOR_BINARY};
    argv.insert(argv.end(), command.begin(), command.end());
    auto child = board.spawn(argv);
    ASSERT_TRUE(eventually([&] { return catches_sigint(child.pid()); }, dump_ready_within));
    // Far more than a pipe holds: the program ends up blocked writing, the rest queued behind.
    board.pour(PortId::can, 100'000);
    std::this_thread::sleep_for(1s);
    child.signal(SIGINT);
    const auto result = child.wait(exits_within);
    EXPECT_EQ(result.status, 0) << result.err;
    // The bus still pours, so the answer never ends; the claim is what counts.
    const auto next = zelkor(board, {"raw", "-t", "1", "write", "-p", "can", "-c", "x"});
    EXPECT_NE(next.out, kind_claim_failed);
  }
}

} // namespace
} // namespace zelkor::e2e
