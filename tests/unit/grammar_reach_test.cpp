// A run builds only the part of the command tree its words can reach: which part, and that the
// parser answers every command line from that part exactly as from the whole tree.

#include <array>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "cli/parse.h"
#include "cli/reach.h"
#include "grammar.h"

namespace zelkor {
namespace {

std::vector<const char*> argv_of(const std::vector<std::string>& args) {
  std::vector<const char*> argv{"zelkor"};
  for (const auto& arg : args) {
    argv.push_back(arg.c_str());
  }
  return argv;
}

TEST(Reach, FirstWordChoosesTheSubcommand) {
  constexpr std::array<std::string_view, 2> names = {"op", "raw"};
  const struct {
    std::vector<std::string> args;
    bool everything;
    std::string_view subcommand;
  } cases[] = {
      {{"op", "kind"}, false, "op"},
      {{"raw"}, false, "raw"},
      {{"--version"}, false, ""},
      {{"-V"}, false, ""},
      {{}, true, ""},                  // the short help lists them all
      {{"-h"}, true, ""},              // so does the help
      {{"help", "op"}, true, ""},      // the help subcommand is not one of them
      {{"opp"}, true, ""},             // the tip names the nearest one
      {{"--version", "op"}, true, ""}, // a later word may be refused against any of them
      {{"--gen-completions", "bash"}, true, ""},
      {{"kind", "op"}, true, ""},
  };
  for (const auto& c : cases) {
    const auto args = argv_of(c.args);
    const cli::Reach reach = cli::reach(std::span(args).subspan(1), names);
    EXPECT_EQ(reach.everything, c.everything) << testing::PrintToString(c.args);
    EXPECT_EQ(reach.subcommand, c.subcommand) << testing::PrintToString(c.args);
  }
}

TEST(Reach, GrammarBuildsOnlyTheModuleNamed) {
  const std::vector<std::string> op_kind = {"op", "kind"};
  const auto args = argv_of(op_kind);
  const Grammar narrow(args);
  EXPECT_TRUE(narrow.op.has_value());
  EXPECT_FALSE(narrow.config || narrow.raw || narrow.can || narrow.update);

  const std::vector<std::string> version_switch = {"--version"};
  const auto version = argv_of(version_switch);
  const Grammar root(version);
  EXPECT_FALSE(root.config || root.op || root.raw || root.can || root.update);

  const Grammar whole;
  EXPECT_TRUE(whole.config && whole.op && whole.raw && whole.can && whole.update);
}

struct Answer {
  std::optional<std::uint8_t> status;
  std::string out;
  std::string err;
  bool operator==(const Answer&) const = default;
};

Answer parse_with(Grammar& grammar, const std::vector<const char*>& argv) {
  std::ostringstream out;
  std::ostringstream err;
  const auto status = cli::parse(grammar.tree, argv, out, err, 80);
  return {status, out.str(), err.str()};
}

// Help, version, errors with their tips, and values reaching a module: the same answer from
// the part the words reach as from the whole tree.
TEST(Reach, ThePartAnswersAsTheWholeTree) {
  const std::vector<std::vector<std::string>> command_lines = {
      {},
      {"-h"},
      {"--help"},
      {"opp"},
      {"help", "op"},
      {"--version"},
      {"-V"},
      {"op"},
      {"op", "kind"},
      {"op", "kind", "-V"},
      {"op", "-h"},
      {"op", "--help"},
      {"op", "help", "set-do"},
      {"op", "help", "bogus"},
      {"op", "kid"},
      {"op", "kind", "extra"},
      {"op", "kind", "--gen-completions", "bash"},
      {"op", "set-do", "7", "1"},
      {"op", "set-do", "1"},
      {"op", "can-message", "-i"},
      {"config", "show"},
      {"config", "--bogus"},
      {"config", "help"},
      {"raw", "write"},
      {"raw", "-V"},
      {"can", "dump", "-x"},
      {"can", "help", "dump"},
      {"update"},
      {"update", "--help"},
  };
  for (const auto& args : command_lines) {
    const auto argv = argv_of(args);
    Grammar part(argv);
    Grammar whole;
    EXPECT_EQ(parse_with(part, argv), parse_with(whole, argv)) << testing::PrintToString(args);
  }
}

} // namespace
} // namespace zelkor
