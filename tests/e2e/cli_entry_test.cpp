// The real process's streams and exit statuses for what the parser answers itself: help,
// version, completion scripts and command-line errors. None of these may reach the board.
#include "support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace zelkor::e2e {
namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

constexpr const char* top_about =
    "Run various commands and operations on a Zelkor series microcontroller. Access permissions "
    "to serial devices are required, so you may need to run this command with elevated "
    "privileges (e.g. `sudo zelkor <SUBCOMMAND>`)";
constexpr const char* top_long_only =
    "Run `zelkor <SUBCOMMAND> --help` for detailed help about a command.";
constexpr const char* raw_about =
    "Run string commands directly against or listen to a specified serial interface";
constexpr const char* raw_long_only = "This is primarily made available for debug functionality.";
constexpr const char* write_about = "Write a string to a serial device and read the response";
constexpr const char* write_long_only = "Example: `zelkor raw write -p terminal -c \"version\"`";
constexpr const char* op_about = "Run a command or operation on the microcontroller";
constexpr const char* op_long_only = "This command is used to report version information, "
                                     "program digital ouputs, etc.";

// One board for the whole suite: nothing here may write to it, so it stays empty throughout.
class Entry : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    board_ = std::make_unique<Board>(sim::BoardOptions{.default_firmware = true});
  }
  static void TearDownTestSuite() { board_.reset(); }
  void TearDown() override {
    EXPECT_EQ(board_->received(PortId::terminal), "");
    EXPECT_EQ(board_->received(PortId::can), "");
  }

  static Board::Result zelkor(Args args) { return e2e::zelkor(*board_, std::move(args)); }

  static std::unique_ptr<Board> board_;
};

std::unique_ptr<Board> Entry::board_;

TEST_F(Entry, NoArgumentsPrintsTheShortTopLevelHelpAndALineBreak) {
  const auto bare = zelkor({});
  const auto short_help = zelkor({"-h"});
  EXPECT_EQ(bare.status, 0);
  EXPECT_EQ(bare.err, "");
  EXPECT_THAT(unwrapped(bare.out), HasSubstr(top_about));
  EXPECT_THAT(bare.out, Not(HasSubstr(top_long_only)));
  // The page and one line break after its last line, no blank line.
  EXPECT_EQ(bare.out, short_help.out);
  EXPECT_THAT(bare.out, ::testing::EndsWith("information\n"));
}

struct HelpCase {
  const char* name;
  Args args;
  const char* shows;     // text the page must carry
  const char* long_only; // text only the long page carries; nullptr: must be absent
  bool long_form;
};

void PrintTo(const HelpCase& param, std::ostream* out) {
  *out << param.name;
}

class Help : public Entry, public ::testing::WithParamInterface<HelpCase> {};

TEST_P(Help, GoesToStandardOutputWithStatusZero) {
  const auto& param = GetParam();
  const auto result = zelkor(param.args);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  const auto text = unwrapped(result.out);
  EXPECT_THAT(text, HasSubstr(param.shows));
  if (param.long_form) {
    EXPECT_THAT(text, HasSubstr(param.long_only));
  } else {
    EXPECT_THAT(text, Not(HasSubstr(param.long_only)));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Levels, Help,
    ::testing::Values(
        HelpCase{"top_h", {"-h"}, top_about, top_long_only, false},
        HelpCase{"top_help", {"--help"}, top_about, top_long_only, true},
        HelpCase{"top_help_word", {"help"}, top_about, top_long_only, true},
        HelpCase{"raw_h", {"raw", "-h"}, raw_about, raw_long_only, false},
        HelpCase{"raw_help", {"raw", "--help"}, raw_about, raw_long_only, true},
        HelpCase{"raw_help_word", {"raw", "help"}, raw_about, raw_long_only, true},
        HelpCase{"help_raw", {"help", "raw"}, raw_about, raw_long_only, true},
        HelpCase{"write_h", {"raw", "write", "-h"}, write_about, write_long_only, false},
        HelpCase{"write_help", {"raw", "write", "--help"}, write_about, write_long_only, true},
        HelpCase{"raw_help_write", {"raw", "help", "write"}, write_about, write_long_only, true},
        // Help wins over a complete command: nothing is written.
        HelpCase{"write_full_h",
                 {"raw", "write", "-p", "terminal", "-c", "version", "-h"},
                 write_about,
                 write_long_only,
                 false},
        HelpCase{"listen_help",
                 {"raw", "listen", "--help"},
                 "Dump all traffic from a serial device",
                 "Example: `zelkor raw listen /dev/ttyACM0`",
                 true},
        HelpCase{"devices_h",
                 {"raw", "devices", "-h"},
                 "Find and report the microcontroller owned virtual serial devices",
                 "Example",
                 false},
        HelpCase{"op_h", {"op", "-h"}, op_about, op_long_only, false},
        HelpCase{"op_help", {"op", "--help"}, op_about, op_long_only, true},
        HelpCase{"op_help_word", {"op", "help"}, op_about, op_long_only, true}),
    [](const auto& info) { return std::string(info.param.name); });

class Version : public Entry, public ::testing::WithParamInterface<Args> {};

TEST_P(Version, PrintsNameAndVersionWithStatusZero) {
  const auto result = zelkor(GetParam());
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "Zelkor 1.0.1\n");
  EXPECT_EQ(result.err, "");
}

INSTANTIATE_TEST_SUITE_P(Levels, Version,
                         ::testing::Values(Args{"-V"}, Args{"--version"}, Args{"raw", "-V"},
                                           Args{"raw", "--version"}, Args{"raw", "write", "-V"},
                                           Args{"raw", "write", "--version"},
                                           Args{"raw", "listen", "-V"},
                                           Args{"raw", "devices", "--version"}, Args{"op", "-V"},
                                           Args{"op", "--version"}));

TEST_F(Entry, CompletionScriptWinsOverASubcommandAndContactsNothing) {
  const auto alone = zelkor({"--gen-completions", "bash"});
  ASSERT_EQ(alone.status, 0);
  EXPECT_EQ(alone.err, "");
  EXPECT_THAT(alone.out, HasSubstr("zelkor"));
  for (const Args& args :
       {Args{"--gen-completions", "bash", "raw", "devices"},
        Args{"--gen-completions", "bash", "raw", "write", "-p", "terminal", "-c", "version"}}) {
    const auto result = zelkor(args);
    EXPECT_EQ(result.status, 0) << args.back();
    EXPECT_EQ(result.err, "") << args.back();
    EXPECT_EQ(result.out, alone.out) << args.back();
  }
}

TEST_F(Entry, EveryShellGetsAScript) {
  for (const char* shell : {"bash", "fish", "zsh", "powershell", "elvish"}) {
    const auto result = zelkor({"--gen-completions", shell});
    EXPECT_EQ(result.status, 0) << shell;
    EXPECT_THAT(result.out, Not(IsEmpty())) << shell;
    EXPECT_EQ(result.err, "") << shell;
  }
}

class CommandLineError : public Entry, public ::testing::WithParamInterface<Args> {};

TEST_P(CommandLineError, GoesToStandardErrorWithStatusOne) {
  const auto result = zelkor(GetParam());
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_THAT(result.err, Not(IsEmpty()));
}

INSTANTIATE_TEST_SUITE_P(
    Parser, CommandLineError,
    ::testing::Values(Args{"--bogus"}, Args{"bogus"}, Args{"--gen-completions", "Bash"},
                      Args{"--gen-completions"}, Args{"--gen-completions", "bash", "--bogus"},
                      Args{"raw", "--bogus"}, Args{"raw", "bogus"}, Args{"raw", "-t"},
                      Args{"raw", "write", "-p", "terminal", "-c", "version", "--bogus"},
                      Args{"raw", "write", "-p", "terminal"}, Args{"raw", "write", "-c", "x"},
                      Args{"raw", "listen"}, Args{"raw", "devices", "extra"},
                      Args{"raw", "help", "bogus"}, Args{"op", "--bogus"}, Args{"op", "bogus"}));

TEST_F(Entry, SubcommandWithoutItsNextWordShowsItsHelpAsAnError) {
  for (const char* word : {"config", "raw", "op"}) {
    const auto result = zelkor({word});
    EXPECT_EQ(result.status, 1) << word;
    EXPECT_EQ(result.out, "") << word;
    EXPECT_EQ(result.err, zelkor({word, "-h"}).out) << word;
  }
}

TEST(EntryStatus, IsTheHandlersStatus) {
  Board found;
  const auto ok = e2e::zelkor(found, {"raw", "devices"});
  EXPECT_EQ(ok.status, 0);
  EXPECT_EQ(ok.err, "");

  Board missing({.topology = sim::Topology::none});
  const auto failed = e2e::zelkor(missing, {"raw", "devices"});
  EXPECT_EQ(failed.status, 1);
  EXPECT_EQ(failed.out, "Could not detect any matching ports.\n");
  EXPECT_EQ(failed.err, "");
}

} // namespace
} // namespace zelkor::e2e
