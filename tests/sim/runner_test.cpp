#include "child.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace zelkor::sim {
namespace {

using namespace std::chrono_literals;

std::vector<std::string> inherited() {
  std::vector<std::string> env;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    env.emplace_back(*entry);
  }
  return env;
}

Result run(std::vector<std::string> argv) {
  return Child(argv, inherited(), true).wait(10s);
}

// A client that knows nothing of the simulation finds the terminal port and gets an answer.
TEST(Runner, AnyProgramTalksToTheDefaultFirmware) {
  auto result = run({SIM_RUNNER, "--", SIM_VERSION_CLIENT});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "Firmware 2.4.1 (built Mar 14 2025 10:21:07)\r\n");
}

TEST(Runner, OptionsShapeTheBoard) {
  EXPECT_EQ(run({SIM_RUNNER, "--silent", "--", SIM_VERSION_CLIENT}).status, 1);
  EXPECT_EQ(run({SIM_RUNNER, "--topology", "none", "--", SIM_VERSION_CLIENT}).status, 1);
  EXPECT_EQ(run({SIM_RUNNER, "--topology", "two_ports", "--extra-ttys", "3", "--slow", "5",
                 "--chunks", "3", "--", SIM_VERSION_CLIENT})
                .out,
            "Firmware 2.4.1 (built Mar 14 2025 10:21:07)\r\n");
  EXPECT_EQ(run({SIM_RUNNER, "--topology", "sideways", "--", "true"}).status, 2);
}

TEST(Runner, ExitsWithTheProgramsStatus) {
  EXPECT_EQ(run({SIM_RUNNER, "--", "sh", "-c", "exit 7"}).status, 7);
  EXPECT_EQ(run({SIM_RUNNER, "--", "sh", "-c", "kill -TERM $$"}).status, 128 + 15);
}

// Only the runner is signalled; the program answers with its own status, which it can give
// only when the signal reached it (a runner that died of it would end with 128 + SIGINT).
TEST(Runner, PassesCtrlCOnToTheProgram) {
  Child runner({SIM_RUNNER, "--", "sh", "-c",
                "trap 'echo interrupted; exit 42' INT; echo ready; while :; do sleep 0.05; done"},
               inherited(), true);
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (runner.out_so_far() != "ready\n" && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(10ms);
  }
  ASSERT_EQ(runner.out_so_far(), "ready\n") << runner.err_so_far();
  runner.signal(SIGINT);
  const auto result = runner.wait(5s);
  EXPECT_EQ(result.status, 42);
  EXPECT_EQ(result.out, "ready\ninterrupted\n");
}

} // namespace
} // namespace zelkor::sim
