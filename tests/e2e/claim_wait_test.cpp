// Runs that want the same port: without `--wait` the second one fails at once with the claim
// failure text; with it, a run waits for the holder (blocked, not polling) and then runs. Many
// runs at once never mix their bytes on the wire.
#include "process_probe.h"
#include "support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace zelkor::e2e {
namespace {

// A hold_port process holding the terminal port until it is sent SIGUSR1.
sim::Child hold_terminal(Board& board) {
  auto holder = board.spawn({HOLD_PORT_BINARY, "terminal", "50"});
  EXPECT_TRUE(eventually([&] { return holder.out_so_far() == "claimed\n"; }, 10s))
      << holder.err_so_far();
  return holder;
}

TEST(ClaimWait, RunsOnceTheHolderLetsGo) {
  Board board;
  board.answer(PortId::terminal, "kind", {{"Board\r\n"}});
  auto holder = hold_terminal(board);
  // A second for the answer: the fact here is the wait, not a 25 ms answer window that the
  // firmware's thread can miss on a loaded machine.
  auto child = board.spawn({ZELKOR_BINARY, "--wait", "60", "raw", "-t", "1000", "write", "-p",
                            "terminal", "-c", "kind"});
  std::this_thread::sleep_for(1s);
  EXPECT_FALSE(child.wait_exit(0ms)) << child.out_so_far();
  // Blocked in the kernel: a loop that polled the lock would use a good part of a second (a tick
  // is 10 ms of CPU). Counted from when it waits, so a slow start (a sanitizer's) is left out.
  const auto waiting = cpu_ticks(child.pid());
  std::this_thread::sleep_for(1s);
  EXPECT_LT(cpu_ticks(child.pid()) - waiting, 10);
  EXPECT_EQ(board.received(PortId::terminal), "") << "nothing sent while the holder has it";
  holder.signal(SIGUSR1);
  EXPECT_EQ(holder.wait(10s).out, "claimed\npending= exclusive=1\n");
  const auto result = child.wait(10s);
  EXPECT_EQ(result.out, "Board\n");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(terminal_traffic(board, "kind"), "kind");
}

TEST(ClaimWait, GivesUpWithTheClaimFailureOnceTheTimeHasPassed) {
  Board board;
  auto holder = hold_terminal(board);
  const auto result = zelkor(board, {"--wait", "1", "op", "kind"});
  EXPECT_EQ(result.out, kind_claim_failed);
  EXPECT_EQ(result.status, 1);
  holder.signal(SIGUSR1);
  EXPECT_EQ(holder.wait(10s).out, "claimed\npending= exclusive=1\n");
  EXPECT_EQ(board.received(PortId::terminal), "");
}

// The commands the mixed runs below write, each as the board receives it.
const std::vector<std::string> terminal_commands = {
    "kind", "config", "user-config 2", "set startup-timer 30", "save-config", "version"};
const std::vector<std::string> can_commands = {"std 123 1 11 data"};

// Cuts `record` into whole commands of `known`, counting each; nothing when some part of it is
// no whole command (two runs' bytes mixed).
std::optional<std::map<std::string, int>> whole_commands(std::string_view record,
                                                         const std::vector<std::string>& known) {
  std::map<std::string, int> counts;
  while (!record.empty()) {
    const auto next = std::ranges::find_if(
        known, [&](const std::string& command) { return record.starts_with(command); });
    if (next == known.end()) {
      return std::nullopt;
    }
    ++counts[*next];
    record.remove_prefix(next->size());
  }
  return counts;
}

const std::vector<Args> mixed_runs = {
    {"op", "kind"},
    {"config", "show"},
    {"config", "-n", "2", "startup-timer", "30"},
    {"raw", "-t", "500", "write", "-p", "terminal", "-c", "version"},
    {"can", "-n", "send", "123", "11"},
};

struct Tally {
  int completed = 0;
  int refused = 0; // the claim failure text, status 1
  int other = 0;
  std::map<std::string, int> terminal; // whole commands each port received
  std::map<std::string, int> can;
};

// 50 runs started at once against one board; every run's outcome sorted, and both ports'
// records checked to be whole commands.
Tally fifty_at_once(const Args& top) {
  Board board({.default_firmware = true});
  std::vector<sim::Child> children;
  for (int i = 0; i < 50; ++i) {
    Args argv{ZELKOR_BINARY};
    argv.insert(argv.end(), top.begin(), top.end());
    const auto& run = mixed_runs[static_cast<std::size_t>(i) % mixed_runs.size()];
    argv.insert(argv.end(), run.begin(), run.end());
    children.push_back(board.spawn(argv));
  }
  Tally tally;
  for (auto& child : children) {
    const auto result = child.wait(100s);
    if (result.status == 0) {
      ++tally.completed;
    } else if (result.status == 1 && result.out.ends_with(kind_claim_failed)) {
      ++tally.refused;
    } else {
      ++tally.other;
      ADD_FAILURE() << "status " << result.status << ": " << result.out << result.err;
    }
  }
  std::this_thread::sleep_for(100ms); // the firmware threads record what is still in flight
  const auto terminal = whole_commands(board.received(PortId::terminal), terminal_commands);
  const auto can = whole_commands(board.received(PortId::can), can_commands);
  EXPECT_TRUE(terminal.has_value()) << board.received(PortId::terminal);
  EXPECT_TRUE(can.has_value()) << board.received(PortId::can);
  tally.terminal = terminal.value_or(std::map<std::string, int>{});
  tally.can = can.value_or(std::map<std::string, int>{});
  return tally;
}

TEST(ClaimWait, FiftyRunsAtOnceWithoutWaitCompleteOrAreRefused) {
  const auto tally = fifty_at_once({});
  std::printf("without --wait: %d completed, %d refused with the claim failure, %d other\n",
              tally.completed, tally.refused, tally.other);
  EXPECT_EQ(tally.completed + tally.refused, 50);
}

TEST(ClaimWait, FiftyRunsAtOnceWithWaitAllComplete) {
  auto tally = fifty_at_once({"--wait", "60"});
  std::printf("with --wait 60: %d completed, %d refused with the claim failure, %d other\n",
              tally.completed, tally.refused, tally.other);
  EXPECT_EQ(tally.completed, 50);
  // Ten runs of each kind, every command of each received once.
  EXPECT_EQ(tally.terminal["kind"], 10);
  EXPECT_EQ(tally.terminal["version"], 10);
  EXPECT_EQ(tally.terminal["user-config 2"], 10);
  EXPECT_EQ(tally.can["std 123 1 11 data"], 10);
}

} // namespace
} // namespace zelkor::e2e
