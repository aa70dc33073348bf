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

TEST(Runner, PassesCtrlCOnToTheProgram) {
  Child runner({SIM_RUNNER, "--", "sleep", "10"}, inherited(), true);
  std::this_thread::sleep_for(200ms);
  runner.signal(SIGINT);
  EXPECT_EQ(runner.wait(5s).status, 128 + SIGINT);
}

} // namespace
} // namespace zelkor::sim
