// Runs each shell on the completion script the real binary generates and checks what it offers.

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "shell_run.h"

namespace zelkor {
namespace {

using testing::IsSupersetOf;

// The script the binary generates for one shell, in a file that lives as long as this does.
class Script {
public:
  explicit Script(const std::string& shell) : file_("zelkor." + shell, generated(shell)) {}

  const std::string& path() const { return file_.path(); }
  std::string text() const {
    std::ifstream in(path());
    return {std::istreambuf_iterator<char>(in), {}};
  }

private:
  static std::string generated(const std::string& shell) {
    auto run = test::run({ZELKOR_BINARY, "--gen-completions", shell});
    EXPECT_EQ(run.status, 0);
    return run.out;
  }

  test::ScratchFile file_;
};

struct Case {
  std::string line;
  std::vector<std::string> expected;
};

const std::vector<Case> cases{
    {"zelkor ", {"raw", "help"}},
    {"zelkor raw ", {"write", "listen", "devices", "help"}},
    {"zelkor --gen-completions ", {"bash", "fish", "zsh", "powershell", "elvish"}},
    {"zelkor raw write -", {"-p", "--port", "-c", "--command"}},
    // Option values are stepped over, even one that spells a subcommand.
    {"zelkor raw -c raw -t 5 listen -", {"-p", "--port", "-h", "--help"}},
    {"zelkor raw help ", {"write", "listen", "devices"}},
    {"zelkor config ",
     {"ignition-sense", "can-mode", "show", "set-as-default", "export", "import"}},
    {"zelkor config show -", {"--json"}},
    {"zelkor config startup-timer -", {"--json"}},
    {"zelkor raw devices -", {"--json"}},
    {"zelkor config -", {"-n", "--number", "-s", "--save"}},
    {"zelkor config -n ", {"1", "2", "3", "4"}},
    {"zelkor config -s hotplug ", {"true", "false"}},
    {"zelkor config can-mode ", {"std", "slcan"}},
};

class Completion : public testing::TestWithParam<std::string> {};

TEST_P(Completion, OffersTheTreeAtEveryDepth) {
  Script script(GetParam());
  for (const Case& c : cases) {
    EXPECT_THAT(test::offered(GetParam(), script.path(), c.line), IsSupersetOf(c.expected))
        << "line: " << c.line;
  }
}

TEST_P(Completion, OptionsDoNotLeakBetweenLevels) {
  Script script(GetParam());
  auto write_options = test::offered(GetParam(), script.path(), "zelkor raw write -");
  EXPECT_FALSE(write_options.contains("--timeout"));
  EXPECT_FALSE(write_options.contains("--gen-completions"));
}

// Values only, options left out: some shells list them for an empty word too.
std::set<std::string> values(const std::string& shell, const Script& script,
                             const std::string& line) {
  std::set<std::string> out;
  for (const auto& word : test::offered(shell, script.path(), line)) {
    if (!word.starts_with('-')) {
      out.insert(word);
    }
  }
  return out;
}

TEST_P(Completion, EachPositionOffersItsValuesAndNothingElse) {
  Script script(GetParam());
  using Set = std::set<std::string>;
  const std::pair<std::string, Set> cases[] = {
      {"zelkor op set-do ", {"0", "1", "2", "3"}},
      {"zelkor op set-do 2 ", {"0", "1"}},
      {"zelkor op set-led 4 ", {"0", "1"}},
      {"zelkor op set-do 2 1 ", {}},
      // No file names where no path is expected.
      {"zelkor op kind ", {}},
      {"zelkor raw devices ", {}},
      {"zelkor raw write -c ", {}},
      {"zelkor op can-message -i ", {}},
  };
  for (const auto& [line, expected] : cases) {
    EXPECT_EQ(values(GetParam(), script, line), expected) << "line: " << line;
  }
  auto ports = values(GetParam(), script, "zelkor raw listen -p ");
  EXPECT_TRUE(ports.contains("can") && ports.contains("terminal") && ports.contains("/dev/tty"))
      << "line: zelkor raw listen -p ";
}

INSTANTIATE_TEST_SUITE_P(Shells, Completion, testing::Values("bash", "fish", "zsh", "elvish"));

TEST(CompletionSyntax, EachShellAcceptsItsScript) {
  const std::pair<std::string, std::vector<std::string>> checks[] = {
      {"bash", {"bash", "-n"}}, {"zsh", {"zsh", "-n"}}, {"fish", {"fish", "--no-execute"}}};
  for (const auto& [shell, command] : checks) {
    Script script(shell);
    auto argv = command;
    argv.push_back(script.path());
    EXPECT_EQ(test::run(argv).status, 0) << shell;
  }
}

// No PowerShell on the build machines: check that every path and option has its place.
TEST(CompletionSyntax, PowerShellCoversEveryPathAndOption) {
  auto text = Script("powershell").text();
  const std::vector<std::pair<std::string, std::vector<std::string>>> arms{
      {"zelkor", {"--gen-completions", "--wait", "-V", "raw", "help"}},
      {"zelkor;raw", {"-t", "--timeout", "-c", "--truncate", "write", "listen", "devices"}},
      {"zelkor;raw;write", {"-p", "--port", "-c", "--command"}},
      {"zelkor;raw;listen", {"-p", "--port"}},
      {"zelkor;raw;devices", {"-h", "--version"}},
      {"zelkor;raw;help", {"write"}},
      {"zelkor;help", {"raw"}},
  };
  for (const auto& [path, words] : arms) {
    auto start = text.find("'" + path + "' {");
    ASSERT_NE(start, std::string::npos) << path;
    auto arm = text.substr(start, text.find("break", start) - start);
    for (const auto& word : words) {
      EXPECT_NE(arm.find("::new('" + word + "'"), std::string::npos) << path << " " << word;
    }
  }
  EXPECT_NE(text.find("'zelkor|--gen-completions' = @('bash', 'fish', 'zsh', 'powershell', "
                      "'elvish')"),
            std::string::npos);
  EXPECT_NE(text.find("'zelkor;raw|write' = 'zelkor;raw;write'"), std::string::npos);
}

} // namespace
} // namespace zelkor
