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

TEST(CommandLine, NoSubcommandPrintsShortHelpAndALineBreak) {
  auto outcome = run_with({});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.out, help_of({}, cli::HelpForm::Short));
  EXPECT_THAT(outcome.out, testing::EndsWith("Prints version information\n"));
  EXPECT_EQ(outcome.err, "");
  EXPECT_THAT(outcome.out, StartsWith("Zelkor 1.0.1\nRun various commands"));
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
  EXPECT_THAT(
      run_with({"--help"}).out,
      HasSubstr("\n\nRun `zelkor <SUBCOMMAND> --help` for detailed help about a command.\n"));
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
      {"raw", "-t", "5", "-V"}, // after an option: the parser's own way
  };
  for (const auto& args : cases) {
    auto outcome = run_with(args);
    EXPECT_EQ(outcome.status, 0) << testing::PrintToString(args);
    EXPECT_EQ(outcome.out, "Zelkor 1.0.1\n") << testing::PrintToString(args);
  }
}

// The parser's own words: what was typed, in the order typed, a guess when one is near, and
// the hint naming the level where it went wrong.
TEST(CommandLine, ErrorsInTheUsersWords) {
  const struct {
    std::vector<std::string> args;
    std::string message; // between "error: " and the hint line
    std::string level;   // the command line whose help the hint names
  } cases[] = {
      // Unexpected words, in typed order; an option of a level above says where it belongs.
      {{"raw", "devices", "-t", "5"},
       "unexpected arguments '-t', '5' found\n\n"
       "  tip: '-t' belongs to 'zelkor raw': put it before 'devices'",
       "zelkor raw devices"},
      {{"op", "kind", "a", "b", "c"}, "unexpected arguments 'a', 'b', 'c' found", "zelkor op kind"},
      {{"op", "kind", "a", "b", "c", "d"},
       "unexpected arguments 'a', 'b', ... and 2 more found",
       "zelkor op kind"},
      {{"raw", "devices", "extra"}, "unexpected argument 'extra' found", "zelkor raw devices"},
      {{"raw", "devices", "listen"}, "unexpected argument 'listen' found", "zelkor raw devices"},
      // A port where the port option was wanted.
      {{"raw", "listen", "/dev/ttyACM0"},
       "unexpected argument '/dev/ttyACM0' found\n\n  tip: to name the port, use '-p /dev/ttyACM0'",
       "zelkor raw listen"},
      {{"raw", "write", "-c", "version", "terminal"},
       "unexpected argument 'terminal' found\n\n  tip: to name the port, use '-p terminal'",
       "zelkor raw write"},
      {{"raw", "listen", "-p", "can", "/dev/ttyACM1"},
       "unexpected argument '/dev/ttyACM1' found",
       "zelkor raw listen"},
      {{"raw", "listen", "listen"}, "unexpected argument 'listen' found", "zelkor raw listen"},
      // A switch takes no value, however it is attached.
      {{"config", "--save=no", "startup-timer", "4"},
       "unexpected value 'no' for '--save'",
       "zelkor config"},
      {{"config", "--save=maybe", "startup-timer", "4"},
       "unexpected value 'maybe' for '--save'",
       "zelkor config"},
      {{"config", "-s=1", "startup-timer", "4"},
       "unexpected value '1' for '--save'",
       "zelkor config"},
      {{"config", "-s=", "startup-timer", "4"},
       "unexpected value '' for '--save'",
       "zelkor config"},
      {{"can", "dump", "-dc=yes"}, "unexpected value 'yes' for '--csv'", "zelkor can dump"},
      {{"raw", "-x", "devices"}, "unexpected argument '-x' found", "zelkor raw"},
      // A near word is suggested; a far one is not.
      {{"rw"}, "unrecognized subcommand 'rw'\n\n  tip: did you mean 'raw'?", "zelkor"},
      {{"op", "verison"},
       "unrecognized subcommand 'verison'\n\n  tip: did you mean 'version'?",
       "zelkor op"},
      {{"raw", "lisen", "-p", "can"},
       "unrecognized subcommand 'lisen'\n\n  tip: did you mean 'listen'?",
       "zelkor raw"},
      {{"bogus"}, "unrecognized subcommand 'bogus'", "zelkor"},
      {{"--gen-completion", "bash"},
       "unexpected argument '--gen-completion' found\n\n  tip: did you mean '--gen-completions'?",
       "zelkor"},
      {{"help", "rwa"}, "unrecognized subcommand 'rwa'\n\n  tip: did you mean 'raw'?", "zelkor"},
      {{"raw", "help", "raw"}, "unrecognized subcommand 'raw'", "zelkor raw"},
      // An unknown option comes first, as what it is, before the required one it stood for.
      {{"op", "user-config", "--num", "2"},
       "unexpected arguments '--num', '2' found\n\n  tip: did you mean '--number'?",
       "zelkor op user-config"},
      {{"raw", "write", "-p", "terminal", "-c", "version", "--bogus"},
       "unexpected argument '--bogus' found",
       "zelkor raw write"},
      // A missing value, with the values possible.
      {{"op", "user-config", "-n"},
       "a value is required for '--number <NUMBER>' but none was supplied\n"
       "  [possible values: 1, 2, 3, 4]",
       "zelkor op user-config"},
      {{"raw", "-t"},
       "a value is required for '--timeout <TIMEOUT>' but none was supplied",
       "zelkor raw"},
      {{"--gen-completions"},
       "a value is required for '--gen-completions <GEN_COMPLETIONS>' but none was supplied\n"
       "  [possible values: bash, fish, zsh, powershell, elvish]",
       "zelkor"},
      // Options and switches alike may be given once.
      {{"op", "user-config", "-n", "2", "-n", "3"},
       "the argument '--number <NUMBER>' cannot be used multiple times",
       "zelkor op user-config"},
      {{"op", "user-config", "-n", "2", "-s", "--set-default"},
       "the argument '--set-default' cannot be used multiple times",
       "zelkor op user-config"},
      {{"op", "user-config", "-ssn", "2"},
       "the argument '--set-default' cannot be used multiple times",
       "zelkor op user-config"},
      {{"--gen-completions", "bash", "--gen-completions", "zsh"},
       "the argument '--gen-completions <GEN_COMPLETIONS>' cannot be used multiple times",
       "zelkor"},
      {{"raw", "-t", "1", "--timeout=2", "devices"},
       "the argument '--timeout <TIMEOUT>' cannot be used multiple times",
       "zelkor raw"},
      // Values refused by their checks, in the checks' words.
      {{"--gen-completions", "Bash"},
       "invalid value 'Bash' for '--gen-completions <GEN_COMPLETIONS>'\n"
       "  [possible values: bash, fish, zsh, powershell, elvish]",
       "zelkor"},
      {{"op", "set-do", "1", "2"},
       "invalid value '2' for '<STATE>'\n  [possible values: 0, 1]",
       "zelkor op set-do"},
      {{"raw", "-t", "abc", "devices"},
       "invalid value 'abc' for '--timeout <TIMEOUT>': invalid digit found in string",
       "zelkor raw"},
      {{"raw", "-t=abc", "devices"},
       "invalid value 'abc' for '--timeout <TIMEOUT>': invalid digit found in string",
       "zelkor raw"},
      {{"raw", "--timeout=", "devices"},
       "invalid value '' for '--timeout <TIMEOUT>': cannot parse integer from empty string",
       "zelkor raw"},
      {{"raw", "-c", "18446744073709551616", "devices"},
       "invalid value '18446744073709551616' for '--truncate <TRUNCATE>': number too large to fit "
       "in target type",
       "zelkor raw"},
      {{"raw", "-c", "-1", "devices"},
       "invalid value '-1' for '--truncate <TRUNCATE>': invalid digit found in string",
       "zelkor raw"},
      {{"op", "cal-voltage", "-r", "abc"},
       "invalid value 'abc' for '--reference <REFERENCE>': invalid float literal",
       "zelkor op cal-voltage"},
      // A value the firmware would read as no word at all.
      {{"can", "-b", "", "send", "123", "11"},
       "invalid value '' for '--baudrate <BAUDRATE>': must not be empty",
       "zelkor can"},
      {{"config", "startup-timer", ""},
       "invalid value '' for '[VALUE]': must not be empty",
       "zelkor config startup-timer"},
      // A check's own reason stands beside the values possible.
      {{"config", "hotplug", "on"},
       "invalid value 'on' for '[ENABLE]': provided string was not `true` or `false`\n"
       "  [possible values: true, false]",
       "zelkor config hotplug"},
      {{"config", "hotplug", "-s", "true"},
       "unexpected argument '-s' found\n\n  tip: '-s' belongs to 'zelkor config': put it before "
       "'hotplug'",
       "zelkor config hotplug"},
      // A word from outside is echoed with its control characters and stray bytes escaped.
      {{"\x1b[2J"}, "unrecognized subcommand '\\x1b[2J'", "zelkor"},
      {{"op", "kind", "a\rb\xff"}, "unexpected argument 'a\\x0db\\xff' found", "zelkor op kind"},
      {{"raw", "-t", "1\x1b[31m", "devices"},
       "invalid value '1\\x1b[31m' for '--timeout <TIMEOUT>': invalid digit found in string",
       "zelkor raw"},
      {{"--gen-completions", "\xc2\x9b"},
       "invalid value '\\xc2\\x9b' for '--gen-completions <GEN_COMPLETIONS>'\n"
       "  [possible values: bash, fish, zsh, powershell, elvish]",
       "zelkor"},
      // What is required and missing, all of it.
      {{"raw", "write"},
       "the following required arguments were not provided:\n  --port <PORT>\n"
       "  --command <COMMAND>",
       "zelkor raw write"},
      {{"raw", "write", "-c", "version"},
       "the following required arguments were not provided:\n  --port <PORT>",
       "zelkor raw write"},
      {{"op", "set-do", "2"},
       "the following required arguments were not provided:\n  <STATE>",
       "zelkor op set-do"},
  };
  for (const auto& c : cases) {
    auto outcome = run_with(c.args);
    auto line = testing::PrintToString(c.args);
    EXPECT_EQ(outcome.status, 1) << line;
    EXPECT_EQ(outcome.out, "") << line;
    EXPECT_EQ(outcome.err,
              "error: " + c.message + "\n\nFor more information, try '" + c.level + " --help'.\n")
        << line;
  }
}

// A script gone wrong gets one line, not a megabyte.
TEST(CommandLine, ALongListOfUnexpectedWordsIsCut) {
  std::vector<std::string> args = {"raw", "devices"};
  for (int i = 0; i < 10'000; ++i) {
    args.push_back("w" + std::to_string(i));
  }
  EXPECT_EQ(run_with(args).err,
            "error: unexpected arguments 'w0', 'w1', ... and 9998 more found\n\n"
            "For more information, try 'zelkor raw devices --help'.\n");
}

// Help and version win over what follows them, not over an error typed before them.
TEST(CommandLine, TheFirstOfHelpAndAnErrorWins) {
  EXPECT_EQ(run_with({"raw", "-h", "-t"}).status, 0);
  EXPECT_EQ(run_with({"raw", "write", "-V", "--bogus"}).out, "Zelkor 1.0.1\n");
  auto error_first = run_with({"raw", "--bogus", "-h"});
  EXPECT_EQ(error_first.status, 1);
  EXPECT_THAT(error_first.err, StartsWith("error: unexpected argument '--bogus' found"));
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
  EXPECT_THAT(outcome.out, HasSubstr("complete -F _zelkor zelkor\n"));
}

std::optional<cmds::raw::Raw> raw_options(const std::vector<std::string>& args) {
  Grammar grammar;
  std::ostringstream out, err;
  auto argv = argv_of(args);
  EXPECT_EQ(cli::parse(grammar.tree, argv, out, err), std::nullopt) << err.str();
  return grammar.raw->options();
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
      // A short option takes the text after "=", as its long form does.
      {{"raw", "-t=500", "-c=0", "write", "-p=can", "-c=x=y"}, 500, 0, Write{"can", "x=y"}},
      {{"raw", "-t7", "write", "-pcan", "-c="}, 7, 2, Write{"can", ""}},
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

TEST(OpGrammar, ShortOptionsTakeTheTextAfterTheEqualsSign) {
  Grammar grammar;
  std::ostringstream out, err;
  const std::vector<std::string> args = {"op", "can-message", "-i=123", "-d=11"};
  auto argv = argv_of(args); // points into `args`, which must outlive the parse
  ASSERT_EQ(cli::parse(grammar.tree, argv, out, err), std::nullopt) << err.str();
  auto command = grammar.op->options();
  ASSERT_TRUE(command);
  const auto& message = std::get<cmds::mcu::CanMessage>(*command);
  EXPECT_EQ(message.id, "123");
  EXPECT_EQ(message.data, "11");
}

TEST(RawGrammar, NotChosenGivesNothing) {
  EXPECT_EQ(raw_options({}), std::nullopt);
  EXPECT_EQ(raw_options({"--gen-completions", "fish"}), std::nullopt);
}

} // namespace
} // namespace zelkor
