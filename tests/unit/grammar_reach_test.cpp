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

TEST(Reach, FirstWordChoosesTheSubcommandAndTheSecondItsChild) {
  constexpr std::array<std::string_view, 2> names = {"op", "raw"};
  const struct {
    std::vector<std::string> args;
    bool everything;
    std::string_view subcommand;
    std::string_view next;
  } cases[] = {
      {{"op", "kind"}, false, "op", "kind"},
      {{"op", "kind", "-h"}, false, "op", "kind"},
      {{"raw"}, false, "raw", ""},
      {{"--version"}, false, "", ""},
      {{"-V"}, false, "", ""},
      {{}, true, "", ""},                  // the short help lists them all
      {{"-h"}, true, "", ""},              // so does the help
      {{"help", "op"}, true, "", ""},      // the help subcommand is not one of them
      {{"opp"}, true, "", ""},             // the tip names the nearest one
      {{"--version", "op"}, true, "", ""}, // a later word may be refused against any of them
      {{"--gen-completions", "bash"}, true, "", ""},
      {{"kind", "op"}, true, "", ""},
  };
  for (const auto& c : cases) {
    const auto args = argv_of(c.args);
    const cli::Reach reach = cli::reach(std::span(args).subspan(1), names);
    EXPECT_EQ(reach.everything, c.everything) << testing::PrintToString(c.args);
    EXPECT_EQ(reach.subcommand, c.subcommand) << testing::PrintToString(c.args);
    EXPECT_EQ(reach.next, c.next) << testing::PrintToString(c.args);
  }
}

std::vector<std::string> children_of(const Grammar& grammar, const std::string& name) {
  std::vector<std::string> names;
  for (const CLI::App* child : cli::subcommands(*grammar.tree.root().get_subcommand(name))) {
    names.push_back(child->get_name());
  }
  return names;
}

// The second word confines a module with many subcommands to the one it names exactly; any
// other word (an option of the module's level, a typo, help) leaves the module whole.
TEST(Reach, SecondWordConfinesTheModuleToTheChildItNames) {
  const struct {
    std::vector<std::string> args;
    std::string module;
    std::vector<std::string> children; // empty: every one
  } cases[] = {
      {{"op", "kind"}, "op", {"kind", "help"}},
      {{"op", "set-do", "1", "1"}, "op", {"set-do", "help"}},
      {{"config", "show"}, "config", {"show", "help"}},
      {{"op"}, "op", {}},
      {{"op", "kid"}, "op", {}},
      {{"op", "help", "kind"}, "op", {}},
      {{"op", "-h"}, "op", {}},
      {{"config", "-n", "2", "show"}, "config", {}},
  };
  const Grammar whole;
  for (const auto& c : cases) {
    const auto argv = argv_of(c.args);
    const Grammar part(argv);
    const auto want = c.children.empty() ? children_of(whole, c.module) : c.children;
    EXPECT_EQ(children_of(part, c.module), want) << testing::PrintToString(c.args);
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
      {"op", "kind", "version"},
      {"op", "kind", "help"},
      {"op", "kind", "-n", "2"},
      {"op", "kind", "--wait", "2"},
      {"op", "kind", "--"},
      {"op", "set-do", "-r", "1"},
      {"op", "get-di", "-h"},
      {"op", "user-config", "-n", "5"},
      {"op", "cal-voltage", "-r", "abc"},
      {"op", "can-message", "-i", "123", "-d", "11", "kind"},
      {"op", "set-do", "7", "1"},
      {"op", "set-do", "1"},
      {"op", "can-message", "-i"},
      {"config", "show"},
      {"config", "show", "can-mode"},
      {"config", "show", "-n", "2"},
      {"config", "can-mode", "--json", "std"},
      {"config", "can-mode", "--help"},
      {"config", "startup-timer", "-s"},
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
