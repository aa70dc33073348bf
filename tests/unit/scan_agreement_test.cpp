// The typed-order scan refuses exactly what CLI11 refuses, over command lines made of the tree's
// own words where the two are easiest to part: lists and "--", options of another level,
// repeats, missing and extra values, subcommand words where values go.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/agreement.h"
#include "grammar.h"

namespace zelkor {
namespace {

using Args = std::vector<std::string>;

TEST(ScanAgreement, RefusesExactlyWhatCli11Refuses) {
  const Args cases[] = {
      // Lists, "--" and the operand after them.
      {"can", "dump", "-f", "7FF", "--", "out"},
      {"can", "dump", "-f", "--", "out"},
      {"can", "dump", "-f", "--"},
      {"can", "dump", "-f", "1", "2", "--", "3", "4"},
      {"can", "dump", "-f", "1", "--", "-"},
      {"can", "dump", "--", "out"},
      {"can", "dump", "--", "out", "more"},
      {"can", "dump", "out", "-f", "1"},
      {"can", "dump", "out", "--", "more"},
      {"can", "dump", "-f", "1", "-f", "2", "-d", "-c", "out"},
      {"can", "dump", "-f", "-d"},
      {"can", "dump", "-f", "1", "help"},
      {"can", "dump", "dump"},
      {"can", "dump", "-d", "-d"},
      {"can", "--", "dump"},
      {"config", "--", "show"},
      {"config", "startup-timer", "--", "5"},
      {"config", "startup-timer", "--", "5", "6"},
      {"raw", "devices", "--", "x"},
      {"raw", "listen", "-p", "can", "--"},
      {"op", "kind", "--"},
      {"update", "--", "image.bin"},
      {"help", "--", "raw"},
      {"--", "raw", "-t", "5", "devices"},
      {"--", "help", "raw"},
      {"--", "bogus"},
      // Values that look like options, options of another level, repeats.
      {"can", "-b", "-n", "dump"},
      {"can", "-b", "500", "-b", "250", "dump"},
      {"can", "-n", "-n", "dump"},
      {"can", "send", "-5", "11"},
      {"can", "send", "-x", "11"},
      {"can", "send", "-b", "500", "1"},
      {"can", "send", "-l", "8", "-e", "-r", "123"},
      {"can", "send", "-l", "-1", "123", "11"},
      {"can", "send", "123", "11", "22"},
      {"can", "send"},
      {"config", "-n", "2", "show"},
      {"config", "show", "-n", "2"},
      {"config", "-s", "-s", "show"},
      {"config", "-n", "5", "show"},
      {"config", "startup-timer", "10", "20"},
      {"config", "show", "show"},
      {"config", "hotplug", "maybe"},
      {"raw", "-t", "5", "devices"},
      {"raw", "devices", "-t", "5"},
      {"raw", "write", "-p", "can", "-c", "-h"},
      {"raw", "write", "-p", "can", "-c", "x", "y"},
      {"raw", "write", "-c", "version"},
      {"raw", "listen", "/dev/ttyACM0"},
      {"raw", "listen", "-p"},
      {"op", "set-do", "1"},
      {"op", "set-do", "1", "0", "1"},
      {"op", "user-config", "-n", "2", "-s", "-s"},
      {"op", "user-config", "-ssn", "2"},
      {"op", "can-message", "-i", "1", "-d"},
      {"update"},
      {"update", "a", "b"},
      // Subcommand words where they do not belong.
      {"raw", "help", "listen", "write"},
      {"help", "raw", "bogus"},
      {"raw", "devices", "listen"},
      {"raw", "bogus"},
      {"bogus"},
      {"config"},
      {"--gen-completions", "bash", "raw"},
      {"--gen-completions"},
  };
  Grammar grammar;
  for (const Args& args : cases) {
    std::vector<const char*> argv;
    for (const auto& arg : args) {
      argv.push_back(arg.c_str());
    }
    EXPECT_EQ(cli::disagreement(grammar.tree, argv), std::nullopt) << testing::PrintToString(args);
  }
}

} // namespace
} // namespace zelkor
