// Started with a standard descriptor closed (`>&-`, or by a service started that way): the
// port the run claims must never take descriptor 0, 1 or 2, or the output would be written
// into the board. A closed standard output is still output that cannot be written.
#include "process_probe.h"
#include "support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <thread>

namespace zelkor::e2e {
namespace {

constexpr const char* bad_descriptor = "zelkor: cannot write output: Bad file descriptor\n";

// `zelkor ARGS...` with `redirection` applied by the shell, under `board`.
sim::Child spawn_redirected(Board& board, const std::string& redirection, const Args& args) {
  Args argv{"sh", "-c", "exec \"$@\" " + redirection, "sh", ZELKOR_BINARY};
  argv.insert(argv.end(), args.begin(), args.end());
  return board.spawn(argv);
}

// The board's listing must not come back to it, whichever descriptor is missing.
TEST(ClosedStdio, ExchangeWritesOnlyItsCommand) {
  const struct {
    const char* redirection;
    int status;
    const char* out;
    const char* err;
  } cases[] = {
      {">&-", 1, "", bad_descriptor},
      {"<&-", 0, "listing\n", ""},
      {"2>&-", 0, "listing\n", ""},
      {"<&- 2>&-", 0, "listing\n", ""},
      // The failure line meant for a closed standard error must not reach the port either.
      {">/dev/full 2>&-", 1, "", ""},
  };
  for (const auto& c : cases) {
    Board board;
    board.answer(PortId::terminal, "config", {{"listing\r\n"}});
    auto child =
        spawn_redirected(board, c.redirection, {"raw", "write", "-p", "terminal", "-c", "config"});
    const auto result = child.wait(10s);
    EXPECT_EQ(result.status, c.status) << c.redirection;
    EXPECT_EQ(result.out, c.out) << c.redirection;
    EXPECT_EQ(result.err, c.err) << c.redirection;
    EXPECT_EQ(terminal_traffic(board, "config"), "config") << c.redirection;
  }
}

// A dump or listener with nowhere to print: the received frame never goes back to the CAN port.
TEST(ClosedStdio, ListenersNeverEchoIntoThePort) {
  for (const Args& args : {Args{"can", "-n", "dump"}, Args{"raw", "listen", "-p", "can"}}) {
    Board board;
    auto child = spawn_redirected(board, ">&-", args);
    // A dump that fails at its header ends before it could take Ctrl-C.
    const bool listening =
        eventually([&] { return child.wait_exit(0ms) || catches_sigint(child.pid()); }, 10s);
    if (listening && !child.wait_exit(0ms)) {
      board.push(PortId::can, "123 11\r\n");
    }
    const auto result = child.wait(10s);
    EXPECT_EQ(result.status, 1) << joined(args);
    EXPECT_EQ(result.err, bad_descriptor) << joined(args);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(board.received(PortId::can), "") << joined(args);
  }
}

} // namespace
} // namespace zelkor::e2e
