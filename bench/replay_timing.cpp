// `zelkor can replay` against the simulated board: how fast `-t` sends a log back to back, and
// how far from its log time each frame of a timed replay reaches the board.
//
//   build/release/bench/replay_timing ZELKOR [FRAMES] [GAP_MS] [ROUNDS]   (1000, 5, 3)
//
// The arrival times are taken as the simulated firmware's thread hands each command on, so they
// include two threads' wake-up latency; on a loaded machine that latency dominates.
#include "board.h"

#include <fmt/format.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::microseconds;
namespace fs = std::filesystem;
namespace sim = zelkor::sim;

std::vector<std::string> commands_of(std::size_t frames) {
  std::vector<std::string> commands;
  for (std::size_t i = 0; i < frames; ++i) {
    commands.push_back(fmt::format("std {:03X} 8 {:016X} data", i % 0x800, i));
  }
  return commands;
}

void write_log(const fs::path& path, std::size_t frames, long gap_ms) {
  std::ofstream log(path);
  for (std::size_t i = 0; i < frames; ++i) {
    const long long micros = 1765000000000000LL + static_cast<long long>(i) * gap_ms * 1000;
    log << fmt::format("({}.{:06}) can0 {:03X}#{:016X}\n", micros / 1000000, micros % 1000000,
                       i % 0x800, i);
  }
}

// How far from its log time each command showed on the board, counted from the first one;
// empty when the board did not receive exactly the commands. Each command is waited for in turn:
// the firmware's thread wakes this one as it takes the bytes.
std::vector<microseconds> errors(const sim::Board& board, const std::vector<std::string>& commands,
                                 long gap_ms) {
  std::vector<microseconds> found;
  std::string expected;
  Clock::time_point first;
  for (std::size_t i = 0; i < commands.size(); ++i) {
    expected += commands[i];
    if (!board.wait_received(sim::PortId::can, expected, std::chrono::seconds(5))) {
      return {};
    }
    const auto now = Clock::now();
    if (i == 0) {
      first = now;
    }
    const auto offset = std::chrono::duration_cast<microseconds>(now - first);
    found.push_back(std::chrono::abs(offset - microseconds(static_cast<long>(i) * gap_ms * 1000)));
  }
  return found;
}

bool received_all(const sim::Board& board, const std::vector<std::string>& commands) {
  return board.wait_received(sim::PortId::can, commands.back(), std::chrono::seconds(5));
}

} // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    fmt::print(stderr, "usage: {} ZELKOR [FRAMES] [GAP_MS] [ROUNDS]\n", argv[0]);
    return 2;
  }
  const std::string zelkor = argv[1];
  const std::size_t frames = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 1000;
  const long gap_ms = argc > 3 ? std::strtol(argv[3], nullptr, 10) : 5;
  const int rounds = argc > 4 ? std::atoi(argv[4]) : 3;
  const auto log = fs::temp_directory_path() / fmt::format("replay-bench-{}.log", getpid());
  write_log(log, frames, gap_ms);
  const auto commands = commands_of(frames);
  fmt::print("zelkor can replay: {} frames, {} ms apart in the log, {} rounds\n", frames, gap_ms,
             rounds);
  int status = 0;
  for (int round = 1; round <= rounds; ++round) {
    sim::Board fast;
    const auto start = Clock::now();
    const auto sent = fast.run({zelkor, "can", "-n", "replay", "-t", log.string()});
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const bool fast_ok =
        sent.status == 0 && received_all(fast, commands) && !errors(fast, commands, 0).empty();

    sim::Board timed;
    auto child = timed.spawn({zelkor, "can", "-n", "replay", log.string()});
    auto off = errors(timed, commands, gap_ms);
    const auto result = child.wait(std::chrono::seconds(60));
    if (!fast_ok || result.status != 0 || off.empty()) {
      fmt::print("round {}: the board did not receive every command in order\n", round);
      status = 1;
      continue;
    }
    std::ranges::sort(off);
    fmt::print("round {}: -t {:.0f} frames/s (process included); timed: error median {} us, "
               "90th {} us, max {} us\n",
               round, static_cast<double>(frames) / seconds, off[off.size() / 2].count(),
               off[off.size() * 9 / 10].count(), off.back().count());
  }
  fs::remove(log);
  return status;
}
