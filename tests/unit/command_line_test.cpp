// The command line as the user meets it: exit status and exact output of help, version and
// errors, and the values the raw grammar hands to its handler.

#include <sys/mman.h>
#include <unistd.h>

#include <sstream>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app.h"
#include "cli/help.h"
#include "cli/parse.h"
#include "grammar.h"

namespace zelkor {
namespace {

using testing::HasSubstr;
using testing::StartsWith;

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

std::vector<const char*> argv_of(const std::vector<std::string>& args) {
  std::vector<const char*> argv{"zelkor"};
  for (const auto& arg : args) {
    argv.push_back(arg.c_str());
  }
  return argv;
}

// Standard output as the program sees it: a descriptor, here an anonymous file read back.
Outcome run_with(const std::vector<std::string>& args) {
  std::ostringstream err;
  auto argv = argv_of(args);
  utils::UniqueFd file(memfd_create("out", 0));
  utils::output::Sink out(file.get());
  int status = run(argv, out, err);
  std::string written(static_cast<std::size_t>(lseek(file.get(), 0, SEEK_CUR)), '\0');
  EXPECT_EQ(pread(file.get(), written.data(), written.size(), 0),
            static_cast<ssize_t>(written.size()));
  return {status, written, err.str()};
}

// The help page of the level named by `path` below the root, as the parser renders it.
std::string help_of(const std::vector<std::string>& path, cli::HelpForm form) {
  Grammar grammar;
  const CLI::App* level = &grammar.tree.root();
  for (const auto& word : path) {
    level = level->get_subcommand(word);
  }
  return cli::help(grammar.tree, *level, form);
}

const std::string short_about =
    "Run various commands and operations on a Zelkor series microcontroller. Access permissions "
    "to serial devices are required, so you may need to run this command with elevated "
    "privileges (e.g. `sudo zelkor <SUBCOMMAND>`)";
const std::string long_about =
    short_about + ".\n\nRun `zelkor <SUBCOMMAND> --help` for detailed help about a command.";

TEST(CommandLine, NoSubcommandPrintsShortHelpAndALineBreak) {
  auto outcome = run_with({});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.out, help_of({}, cli::HelpForm::Short) + "\n");
  EXPECT_EQ(outcome.err, "");
  EXPECT_THAT(outcome.out, StartsWith("Zelkor 1.0.1\n" + short_about + "\n"));
  EXPECT_THAT(outcome.out, testing::Not(HasSubstr("for detailed help")));
}

TEST(CommandLine, HelpAndVersionGoToStandardOutputWithStatusZero) {
  using enum cli::HelpForm;
  const struct {
    std::vector<std::string> args;
    std::vector<std::string> level;
    cli::HelpForm form;
  } cases[] = {
      {{"-h"}, {}, Short},
      {{"--help"}, {}, Long},
      {{"help"}, {}, Long},
      {{"raw", "-h"}, {"raw"}, Short},
      {{"raw", "--help"}, {"raw"}, Long},
      {{"help", "raw"}, {"raw"}, Long},
      {{"raw", "help"}, {"raw"}, Long},
      {{"help", "raw", "write"}, {"raw", "write"}, Long},
      {{"raw", "help", "listen"}, {"raw", "listen"}, Long},
      // Help wins over missing required values and the missing action.
      {{"raw", "write", "-h"}, {"raw", "write"}, Short},
      {{"raw", "-t", "5", "--help"}, {"raw"}, Long},
      {{"raw", "devices", "--help"}, {"raw", "devices"}, Long},
  };
  for (const auto& c : cases) {
    auto outcome = run_with(c.args);
    auto line = testing::PrintToString(c.args);
    EXPECT_EQ(outcome.status, 0) << line;
    EXPECT_EQ(outcome.out, help_of(c.level, c.form)) << line;
    EXPECT_EQ(outcome.err, "") << line;
  }
}

TEST(CommandLine, ShortAndLongHelpDifferInTheirAbout) {
  EXPECT_THAT(run_with({"--help"}).out, HasSubstr(long_about + "\n"));
  auto raw_short = run_with({"raw", "-h"}).out;
  auto raw_long = run_with({"raw", "--help"}).out;
  EXPECT_THAT(raw_long, HasSubstr("This is primarily made available for debug functionality."));
  EXPECT_THAT(raw_short, testing::Not(HasSubstr("debug functionality")));
  EXPECT_THAT(run_with({"help", "raw", "write"}).out,
              HasSubstr("Example: `zelkor raw write -p terminal -c \"version\"`"));
}

TEST(CommandLine, VersionOnEveryLevel) {
  const std::vector<std::string> cases[] = {
      {"-V"},
      {"--version"},
      {"raw", "-V"},
      {"raw", "write", "--version"},
      {"raw", "listen", "-V"},
      {"raw", "devices", "-V"},
      {"help", "-V"},
      {"raw", "help", "-V"},
  };
  for (const auto& args : cases) {
    auto outcome = run_with(args);
    EXPECT_EQ(outcome.status, 0) << testing::PrintToString(args);
    EXPECT_EQ(outcome.out, "Zelkor 1.0.1\n") << testing::PrintToString(args);
  }
}

TEST(CommandLine, EveryErrorIsStatusOneOnStandardError) {
  const struct {
    std::vector<std::string> args;
    std::string message; // empty: any message
  } cases[] = {
      {{"--gen-completions", "Bash"},
       "error: --gen-completions: 'Bash' isn't a valid value [possible values: bash, fish, zsh, "
       "powershell, elvish]\n"},
      {{"--gen-completions"}, ""},
      {{"--gen-completions", "bash", "--gen-completions", "zsh"}, ""},
      {{"--bogus"}, ""},
      {{"bogus"}, ""},
      {{"raw", "-t", "abc", "devices"}, "error: --timeout: invalid digit found in string\n"},
      {{"raw", "--timeout=", "devices"},
       "error: --timeout: cannot parse integer from empty string\n"},
      {{"raw", "-c", "18446744073709551616", "devices"},
       "error: --truncate: number too large to fit in target type\n"},
      {{"raw", "-c", "-1", "devices"}, ""},
      {{"raw", "listen", "/dev/ttyACM0"}, ""},
      {{"raw", "listen", "-p"}, ""},
      {{"raw", "write", "-p", "terminal"}, ""},
      {{"raw", "write", "-c", "version"}, ""},
      {{"raw", "devices", "listen"}, ""},
      {{"raw", "devices", "extra"}, ""},
      {{"help", "bogus"}, "error: The subcommand 'bogus' wasn't recognized\n"},
      {{"raw", "help", "raw"}, "error: The subcommand 'raw' wasn't recognized\n"},
  };
  for (const auto& c : cases) {
    auto outcome = run_with(c.args);
    auto line = testing::PrintToString(c.args);
    EXPECT_EQ(outcome.status, 1) << line;
    EXPECT_EQ(outcome.out, "") << line;
    EXPECT_THAT(outcome.err, StartsWith("error: ")) << line;
    if (!c.message.empty()) {
      EXPECT_EQ(outcome.err, c.message) << line;
    }
  }
}

TEST(CommandLine, MissingActionPrintsTheLevelsHelpAsAnError) {
  auto outcome = run_with({"raw"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.out, "");
  EXPECT_EQ(outcome.err, help_of({"raw"}, cli::HelpForm::Short));
  EXPECT_EQ(run_with({"raw", "-t", "5"}).err, outcome.err);
}

TEST(CommandLine, CompletionsWinOverASubcommandOnTheSameLine) {
  auto outcome = run_with({"--gen-completions", "bash", "raw", "devices"});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_THAT(outcome.out, HasSubstr("\n_zelkor() {\n"));
  EXPECT_THAT(outcome.out, HasSubstr("complete -F _zelkor -o bashdefault -o default zelkor\n"));
}

std::optional<cmds::raw::Raw> raw_options(const std::vector<std::string>& args) {
  Grammar grammar;
  std::ostringstream out, err;
  auto argv = argv_of(args);
  EXPECT_EQ(cli::parse(grammar.tree, argv, out, err), std::nullopt) << err.str();
  return grammar.raw.options();
}

TEST(RawGrammar, ValuesReachTheHandler) {
  using namespace cmds::raw;
  const struct {
    std::vector<std::string> args;
    std::uint64_t timeout, truncate;
    RawAction action;
  } cases[] = {
      {{"raw", "devices"}, 50, 2, Devices{}},
      {{"raw", "write", "-p", "terminal", "-c", "version"}, 50, 2, Write{"terminal", "version"}},
      // -c before the action is the truncate count, after `write` the command.
      {{"raw", "-t", "500", "-c", "0", "write", "-p", "can", "-c", "x"}, 500, 0, Write{"can", "x"}},
      {{"raw", "--timeout=+7", "--truncate", "3", "listen", "--port", "/dev/ttyACM0"},
       7,
       3,
       Listen{"/dev/ttyACM0"}},
      {{"raw", "-t", "010", "devices"}, 10, 2, Devices{}},
      {{"raw", "write", "--command=", "--port", "raw"}, 50, 2, Write{"raw", ""}},
  };
  for (const auto& c : cases) {
    auto raw = raw_options(c.args);
    auto line = testing::PrintToString(c.args);
    ASSERT_TRUE(raw) << line;
    EXPECT_EQ(raw->timeout, c.timeout) << line;
    EXPECT_EQ(raw->truncate, c.truncate) << line;
    ASSERT_EQ(raw->action.index(), c.action.index()) << line;
    if (auto* write = std::get_if<Write>(&raw->action)) {
      EXPECT_EQ(write->port, std::get<Write>(c.action).port) << line;
      EXPECT_EQ(write->command, std::get<Write>(c.action).command) << line;
    }
    if (auto* listen = std::get_if<Listen>(&raw->action)) {
      EXPECT_EQ(listen->port, std::get<Listen>(c.action).port) << line;
    }
  }
}

TEST(RawGrammar, NotChosenGivesNothing) {
  EXPECT_EQ(raw_options({}), std::nullopt);
  EXPECT_EQ(raw_options({"--gen-completions", "fish"}), std::nullopt);
}

} // namespace
} // namespace zelkor
