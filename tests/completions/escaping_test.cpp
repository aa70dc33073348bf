// Completion scripts for a tree whose texts carry every character the shells treat specially:
// each shell must still read the script and offer the values unchanged.

#include <array>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cli/tree.h"
#include "completions/generate.h"
#include "shell_run.h"

namespace zelkor {
namespace {

using testing::Contains;

constexpr std::string_view awkward_help = "it's \"quoted\" [x] a:b $(exit 3) `x` \\ {y} ; #z";
constexpr std::array<std::string_view, 3> awkward_modes{"a:b", "it's", "plain"};

struct AwkwardTree {
  AwkwardTree()
      : tree({.command = "zelkor", .display_name = "Zelkor", .version = "1"}, "about", "") {
    CLI::App& sub = tree.add_command(tree.root(), "odd-one", std::string(awkward_help));
    tree.choices(sub.add_option("-m,--mode", mode, std::string(awkward_help)), awkward_modes);
    sub.add_flag("-q,--quiet", quiet, std::string(awkward_help));
    tree.finish();
  }
  cli::Tree tree;
  std::string mode;
  bool quiet = false;
};

std::string script(std::string_view shell) {
  AwkwardTree awkward;
  std::ostringstream out;
  completions::generate(shell, awkward.tree, out);
  return out.str();
}

class Escaping : public testing::TestWithParam<std::string> {};

TEST_P(Escaping, ValuesSurviveQuoting) {
  const test::ScratchFile file("awkward." + GetParam(), script(GetParam()));
  const auto& path = file.path();
  auto offered = test::offered(GetParam(), path, "zelkor odd-one --mode ");
  // bash inserts a reply as it stands, so its script quotes the value for the command line.
  EXPECT_THAT(offered, Contains(GetParam() == "bash" ? "it\\'s" : "it's"));
  EXPECT_THAT(offered, Contains("plain"));
  auto options = test::offered(GetParam(), path, "zelkor odd-one -");
  EXPECT_THAT(options, Contains("--quiet"));
}

INSTANTIATE_TEST_SUITE_P(Shells, Escaping, testing::Values("bash", "fish", "zsh", "elvish"));

TEST(Escaping, EachShellAcceptsTheScript) {
  const std::pair<std::string, std::vector<std::string>> checks[] = {
      {"bash", {"bash", "-n"}}, {"zsh", {"zsh", "-n"}}, {"fish", {"fish", "--no-execute"}}};
  for (const auto& [shell, command] : checks) {
    const test::ScratchFile file("awkward-syntax." + shell, script(shell));
    auto argv = command;
    argv.push_back(file.path());
    EXPECT_EQ(test::run(argv).status, 0) << shell;
  }
}

TEST(Escaping, PowerShellQuotesAreDoubled) {
  auto text = script("powershell");
  EXPECT_NE(text.find("'it''s \"quoted\" [x] a:b $(exit 3)"), std::string::npos);
  EXPECT_NE(text.find("@('a:b', 'it''s', 'plain')"), std::string::npos);
}

} // namespace
} // namespace zelkor
