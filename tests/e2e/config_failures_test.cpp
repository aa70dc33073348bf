// How `config` ends when it cannot talk to the board or cannot use its answers.
#include "config_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

namespace zelkor::e2e {
namespace {

constexpr const char* not_found = "Failed to determine current configuration.\n";
const Reply ok{{"OK\r\n"}};
const Reply unreadable{{"O\xffK\r\n"}};

struct DiscoveryCase {
  const char* name;
  sim::Topology topology;
  std::string printed;
};

class ConfigDiscovery : public ::testing::TestWithParam<DiscoveryCase> {};

// Reads, sets and the listing report alike; a selection that cannot find the board is the only
// thing reported, once.
TEST_P(ConfigDiscovery, ReportsWhyNoPortWasFoundOnce) {
  const auto& param = GetParam();
  const std::string printed = param.printed + "\nFailed to auto-detect port. Try rebooting?\n";
  Board board({.topology = param.topology});
  for (const Args& args : {Args{"hotplug"}, Args{"-s", "hotplug", "true"}, Args{"show"},
                           Args{"-n", "2", "show"}, Args{"-n", "1", "-s", "set-as-default"}}) {
    const auto result = run_config(board, args);
    EXPECT_EQ(result.status, 1) << joined(args);
    EXPECT_EQ(result.out, printed) << joined(args);
    EXPECT_EQ(result.err, "") << joined(args);
  }
}

INSTANTIATE_TEST_SUITE_P(Config, ConfigDiscovery,
                         ::testing::Values(DiscoveryCase{"none", sim::Topology::none, none_found},
                                           DiscoveryCase{"one_port", sim::Topology::one_port,
                                                         only_one_found}),
                         [](const auto& info) { return std::string(info.param.name); });

// Another program holds the terminal port: every exchange is refused, the holder keeps it.
TEST(ConfigBusyPort, RefusedWhileAnotherProgramHoldsThePort) {
  Board board;
  auto holder = board.spawn({HOLD_PORT_BINARY, "terminal", "50"});
  for (int i = 0; i < 1000 && holder.out_so_far().empty(); ++i) {
    std::this_thread::sleep_for(10ms);
  }
  ASSERT_EQ(holder.out_so_far(), "claimed\n") << holder.err_so_far();
  for (const Args& args : {Args{"hotplug"}, Args{"hotplug", "true"}, Args{"show"},
                           Args{"-n", "3", "-s", "hotplug", "true"}}) {
    const auto result = run_config(board, args);
    EXPECT_EQ(result.status, 1) << joined(args);
    EXPECT_EQ(result.out, kind_claim_failed) << joined(args);
  }
  holder.signal(SIGUSR1);
  const auto held = holder.wait(10s);
  EXPECT_EQ(held.status, 0) << held.err;
  EXPECT_EQ(terminal_traffic(board, ""), "");
}

struct FailureCase {
  const char* name;
  Args args;
  Script script;
  std::string sent;
  std::string printed;
  int status;
};

void PrintTo(const FailureCase& param, std::ostream* out) {
  *out << param.name;
}

class ConfigFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(ConfigFailure, PrintsTheOutcomeAndSendsNothingMore) {
  const auto& param = GetParam();
  const auto [result, traffic] =
      exchange(answering(param.script), param.args, param.sent, {}, run_config);
  EXPECT_EQ(result.status, param.status);
  EXPECT_EQ(result.out, param.printed);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(traffic, param.sent);
}

INSTANTIATE_TEST_SUITE_P(
    Config, ConfigFailure,
    ::testing::Values(
        // A selection that fails must not let the change land in whichever configuration
        // happens to be current.
        FailureCase{"selection_unreadable",
                    {"-n", "2", "-s", "hotplug", "true"},
                    {{"user-config 2", unreadable}, {"set hotplug on", ok}},
                    "user-config 2",
                    read_failed,
                    1},
        FailureCase{"selection_unreadable_before_show",
                    {"-n", "3", "show"},
                    {{"user-config 3", unreadable}, {"config", {{"Hotplug: on\r\n"}}}},
                    "user-config 3",
                    read_failed,
                    1},
        // An empty answer to the selection is still an answer.
        FailureCase{"selection_silent",
                    {"-n", "2", "hotplug", "false"},
                    {{"set hotplug off", ok}},
                    "user-config 2set hotplug off",
                    "\nOK\n",
                    0},
        // What the set command did is unknown: nothing is saved.
        FailureCase{"set_answer_unreadable",
                    {"-s", "hotplug", "true"},
                    {{"set hotplug on", unreadable}, {"save-config", ok}},
                    "set hotplug on",
                    read_failed,
                    1},
        FailureCase{"set_as_default_answer_unreadable",
                    {"-s", "set-as-default"},
                    {{"set boot-config true", unreadable}},
                    "set boot-config true",
                    read_failed,
                    1},
        // An empty answer was read: the change is saved.
        FailureCase{"set_silent_then_saved",
                    {"-s", "startup-timer", "30"},
                    {{"save-config", ok}},
                    "set startup-timer 30save-config",
                    "\n",
                    0},
        FailureCase{"field_missing",
                    {"hdmi-cec"},
                    {{"config", {{"Hotplug: on\r\nCAN Mode: std\r\n"}}}},
                    "config",
                    not_found,
                    1},
        FailureCase{"listing_empty", {"-s", "can-mode"}, {}, "config", not_found, 1},
        FailureCase{"listing_unreadable",
                    {"hotplug"},
                    {{"config", {{"Hotplug: \xff\r\n"}}}},
                    "config",
                    read_failed,
                    1},
        FailureCase{"show_unreadable",
                    {"show"},
                    {{"config", {{"Hotplug: \xff\r\n"}}}},
                    "config",
                    read_failed,
                    1},
        FailureCase{"show_silent", {"show"}, {}, "config", "\n", 0}),
    [](const auto& info) { return std::string(info.param.name); });

// The value is set but cannot be stored: reported as the failure it is, not as the set command's
// answer. The board stops taking bytes as soon as the set command is in, long before the program
// writes "save-config" (after its 25 ms answer window); only a starved firmware thread could be
// later than that, so a run that sent more than the set command is run again.
TEST(ConfigWrite, ReportsASaveTheBoardDoesNotTake) {
  const std::string set = "set startup-timer 4";
  const auto run = retried(
      [&] {
        Board board;
        board.answer(PortId::terminal, set, {{"OK\r\n"}});
        board.refuse_input_after(PortId::terminal, set);
        Exchange attempt{run_config(board, {"-s", "startup-timer", "4"}), ""};
        attempt.traffic = terminal_traffic(board, set);
        if (attempt.traffic != set) {
          attempt.traffic = "late"; // retried: the stop came after the save was written
        }
        return attempt;
      },
      write_failed, "late");
  EXPECT_EQ(run.result.status, 1);
  EXPECT_EQ(run.result.out, write_failed);
  EXPECT_EQ(run.traffic, set);
}

} // namespace
} // namespace zelkor::e2e
