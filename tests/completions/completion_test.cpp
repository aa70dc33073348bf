// Runs each shell on the completion script the real binary generates and checks what it offers.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using testing::IsSupersetOf;

struct Run {
  int status;
  std::string out;
};

std::string shell_quoted(const std::string& word) {
  std::string out = "'";
  for (char c : word) {
    out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return out + "'";
}

Run run(const std::vector<std::string>& argv) {
  std::string command;
  for (const auto& word : argv) {
    command += shell_quoted(word) + " ";
  }
  command += "2>/dev/null";
  Run result{-1, {}};
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    return result;
  }
  char buffer[4096];
  while (auto n = fread(buffer, 1, sizeof buffer, pipe)) {
    result.out.append(buffer, n);
  }
  int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::set<std::string> lines(const std::string& text) {
  std::set<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) {
      out.insert(line);
    }
  }
  return out;
}

// The generated script for `shell`, written once per test run.
fs::path script_for(const std::string& shell) {
  auto path =
      fs::temp_directory_path() / ("zelkor-completion-" + std::to_string(getpid()) + "." + shell);
  if (!fs::exists(path)) {
    Run generated = run({ZELKOR_BINARY, "--gen-completions", shell});
    EXPECT_EQ(generated.status, 0);
    std::ofstream(path) << generated.out;
  }
  return path;
}

std::set<std::string> offered(const std::string& shell, const std::string& line) {
  std::string driver = std::string(COMPLETION_DRIVERS) + "/" + shell + "_complete." +
                       (shell == "zsh" ? "zsh" : "sh");
  std::vector<std::string> argv{driver, script_for(shell).string(), line};
  if (shell == "zsh") {
    argv.insert(argv.begin(), "zsh");
  }
  return lines(run(argv).out);
}

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
};

class Completion : public testing::TestWithParam<std::string> {};

TEST_P(Completion, OffersTheTreeAtEveryDepth) {
  for (const Case& c : cases) {
    EXPECT_THAT(offered(GetParam(), c.line), IsSupersetOf(c.expected)) << "line: " << c.line;
  }
}

TEST_P(Completion, OptionsDoNotLeakBetweenLevels) {
  auto write_options = offered(GetParam(), "zelkor raw write -");
  EXPECT_FALSE(write_options.contains("--timeout"));
  EXPECT_FALSE(write_options.contains("--gen-completions"));
}

INSTANTIATE_TEST_SUITE_P(Shells, Completion, testing::Values("bash", "fish", "zsh", "elvish"));

TEST(CompletionSyntax, EachShellAcceptsItsScript) {
  EXPECT_EQ(run({"bash", "-n", script_for("bash").string()}).status, 0);
  EXPECT_EQ(run({"zsh", "-n", script_for("zsh").string()}).status, 0);
  EXPECT_EQ(run({"fish", "--no-execute", script_for("fish").string()}).status, 0);
}

// No PowerShell on the build machines: check that every path and option has its place.
TEST(CompletionSyntax, PowerShellCoversEveryPathAndOption) {
  std::ifstream in(script_for("powershell"));
  std::string script((std::istreambuf_iterator<char>(in)), {});
  const std::vector<std::pair<std::string, std::vector<std::string>>> arms{
      {"zelkor", {"--gen-completions", "-V", "raw", "help"}},
      {"zelkor;raw", {"-t", "--timeout", "-c", "--truncate", "write", "listen", "devices"}},
      {"zelkor;raw;write", {"-p", "--port", "-c", "--command"}},
      {"zelkor;raw;listen", {"-p", "--port"}},
      {"zelkor;raw;devices", {"-h", "--version"}},
      {"zelkor;raw;help", {"write"}},
      {"zelkor;help", {"raw"}},
  };
  for (const auto& [path, words] : arms) {
    auto start = script.find("'" + path + "' {");
    ASSERT_NE(start, std::string::npos) << path;
    auto arm = script.substr(start, script.find("break", start) - start);
    for (const auto& word : words) {
      EXPECT_NE(arm.find("::new('" + word + "'"), std::string::npos) << path << " " << word;
    }
  }
  EXPECT_NE(script.find("'zelkor|--gen-completions' = @('bash', 'fish', 'zsh', 'powershell', "
                        "'elvish')"),
            std::string::npos);
  EXPECT_NE(script.find("'zelkor;raw|write' = 'zelkor;raw;write'"), std::string::npos);
}

} // namespace
