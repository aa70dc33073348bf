// `raw listen` as a running process: each chunk printed as it comes, Ctrl-C, unplug, idle cost.
#include "process_probe.h"
#include "support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace zelkor::e2e {
namespace {

// Generous bounds: they catch a hang, not a slow machine.
constexpr auto ready_within = 10s;
constexpr auto shown_within = 5s;
constexpr auto exits_within = 5s;

// A listener started on the CAN port, returned once it holds the port and handles Ctrl-C.
sim::Child start_listening(Board& board, Args options) {
  Args argv{ZELKOR_BINARY, "raw"};
  argv.insert(argv.end(), options.begin(), options.end());
  argv.insert(argv.end(), {"listen", "-p", "can"});
  auto child = board.spawn(argv);
  const bool ready = eventually([&] { return catches_sigint(child.pid()); }, ready_within);
  EXPECT_TRUE(ready) << child.err_so_far();
  return child;
}

// Sends `bytes` and waits until the listener's output is `expected`.
void shows(Board& board, sim::Child& child, const std::string& bytes, const std::string& expected) {
  board.push(PortId::can, bytes);
  EXPECT_TRUE(eventually([&] { return child.out_so_far() == expected; }, shown_within))
      << "so far: " << child.out_so_far();
}

struct ListenCase {
  const char* name;
  Args options; // of `raw`, before the action
};

void PrintTo(const ListenCase& param, std::ostream* out) {
  *out << param.name;
}

class RawListen : public ::testing::TestWithParam<ListenCase> {};

// Whatever the time-out, each chunk shows as it arrives, and Ctrl-C ends listening at once
// with nothing printed after it.
TEST_P(RawListen, PrintsEachChunkOnItsOwnLineUntilCtrlC) {
  Board board;
  auto child = start_listening(board, GetParam().options);
  shows(board, child, "a", "a\n");
  shows(board, child, "b\r\n", "a\nb\r\n\n");
  shows(board, child, "1 01 ff\r\n", "a\nb\r\n\n1 01 ff\r\n\n");

  child.signal(SIGINT);
  const auto result = child.wait(exits_within);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "a\nb\r\n\n1 01 ff\r\n\n");
  EXPECT_EQ(result.err, "");
}

INSTANTIATE_TEST_SUITE_P(
    Raw, RawListen,
    ::testing::Values(ListenCase{"default_timeout", {"-c", "0"}},
                      ListenCase{"zero_timeout", {"-t", "0", "-c", "0"}},
                      ListenCase{"one_ms_timeout", {"-t", "1", "-c", "0"}},
                      // Ctrl-C must not wait for a long port time-out to run out.
                      ListenCase{"minute_timeout", {"-t", "60000", "-c", "0"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RawListenTruncate, DropsTheCountFromEachChunk) {
  Board board;
  auto child = start_listening(board, {});
  shows(board, child, "1 01\r\n", "1 01\n");
  shows(board, child, "2 02\r\n", "1 01\n2 02\n");
  // Fewer bytes than the count leave an empty line, never filler bytes.
  shows(board, child, "\n", "1 01\n2 02\n\n");
  child.signal(SIGINT);
  EXPECT_EQ(child.wait(exits_within).status, 0);
}

TEST(RawListenText, ReplacesBytesThatAreNotUtf8) {
  Board board;
  auto child = start_listening(board, {"-c", "0"});
  shows(board, child,
        "a\xff"
        "b",
        "a\xEF\xBF\xBD"
        "b\n");
  shows(board, child, "ü\xc3",
        "a\xEF\xBF\xBD"
        "b\nü\xEF\xBF\xBD\n");
  child.signal(SIGINT);
  EXPECT_EQ(child.wait(exits_within).status, 0);
}

// A read takes at most 256 bytes, so a longer burst shows as several lines.
TEST(RawListenChunk, TakesAtMost256BytesPerRead) {
  Board board;
  auto child = start_listening(board, {"-c", "0"});
  board.push(PortId::can, std::string(600, 'x'));
  EXPECT_TRUE(
      eventually([&] { return std::ranges::count(child.out_so_far(), 'x') == 600; }, shown_within))
      << child.out_so_far();
  child.signal(SIGINT);
  const auto result = child.wait(exits_within);
  EXPECT_EQ(result.status, 0);
  // The burst reaches the port in one piece, so the first read is a full one.
  EXPECT_EQ(result.out.find('\n'), 256U) << result.out;
}

// A board that goes away is a failure for a script watching the exit status, and nothing more
// is printed.
TEST(RawListenUnplug, EndsWithStatusOne) {
  Board board;
  auto child = start_listening(board, {"-c", "0"});
  shows(board, child, "a", "a\n");
  board.unplug();
  const auto result = child.wait(exits_within);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "a\n");
}

// Frames the board sends on its own are printed as they come, one per line.
TEST(RawListenStream, ShowsFramesAsTheyArrive) {
  Board board;
  auto child = start_listening(board, {});
  board.stream(PortId::can, {"1 01\r\n", "2 02\r\n"}, 100ms);
  EXPECT_TRUE(eventually(
      [&] { return child.out_so_far().find("1 01\n2 02\n1 01\n") != std::string::npos; }, 10s))
      << child.out_so_far();
  child.signal(SIGINT);
  EXPECT_EQ(child.wait(exits_within).status, 0);
}

class RawListenIdle : public ::testing::TestWithParam<ListenCase> {};

// Waiting for traffic costs no CPU, however short the time-out.
TEST_P(RawListenIdle, UsesAlmostNoCpu) {
  Board board;
  auto child = start_listening(board, GetParam().options);
  shows(board, child, "a", "a\n"); // past start-up, in the loop
  const long ticks_per_second = sysconf(_SC_CLK_TCK);
  const long before = cpu_ticks(child.pid());
  std::this_thread::sleep_for(1s);
  const long used = cpu_ticks(child.pid()) - before;
  EXPECT_LT(used, ticks_per_second / 20) << "of " << ticks_per_second << " ticks in one second";
  child.signal(SIGINT);
  EXPECT_EQ(child.wait(exits_within).status, 0);
}

INSTANTIATE_TEST_SUITE_P(Raw, RawListenIdle,
                         ::testing::Values(ListenCase{"default_timeout", {"-c", "0"}},
                                           ListenCase{"zero_timeout", {"-t", "0", "-c", "0"}},
                                           ListenCase{"one_ms_timeout", {"-t", "1", "-c", "0"}}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace zelkor::e2e
