// The `can` command line: the values its handler receives, what the parser refuses, and the
// help texts users read.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/help.h"
#include "cli/parse.h"
#include "grammar.h"

namespace zelkor {
namespace {

using testing::HasSubstr;

struct Parsed {
  std::optional<std::uint8_t> answered; // status when the parser answered itself
  std::string out;
  std::string err;
  std::optional<can::Action> action;
};

Parsed parse(const std::vector<std::string>& args) {
  Grammar grammar;
  std::vector<const char*> argv{"zelkor"};
  for (const auto& arg : args) {
    argv.push_back(arg.c_str());
  }
  std::ostringstream out, err;
  Parsed parsed;
  parsed.answered = cli::parse(grammar.tree, argv, out, err);
  parsed.out = out.str();
  parsed.err = err.str();
  if (!parsed.answered) {
    parsed.action = grammar.can->options();
  }
  return parsed;
}

using Args = std::vector<std::string>;
using Ids = std::vector<std::string>;

// The action of kind `Action` that `args` parse into; nothing, and a failure naming the line, when
// they are refused or parse into another action.
template <typename Action> std::optional<Action> action_of(const std::vector<std::string>& args) {
  const auto parsed = parse(args);
  const auto* action = parsed.action ? std::get_if<Action>(&parsed.action->action) : nullptr;
  if (action == nullptr) {
    ADD_FAILURE() << testing::PrintToString(args) << " gave no such action: " << parsed.err;
    return std::nullopt;
  }
  return *action;
}

TEST(CanGrammar, SendValuesReachTheHandler) {
  const struct {
    Args args;
    can::Send send;
    std::optional<std::string> baudrate;
    bool nocheck;
  } cases[] = {
      {{"can", "send", "123"}, {"123", std::nullopt, std::nullopt, false, false}, {}, false},
      {{"can", "-n", "send", "7FF", "11"}, {"7FF", "11", std::nullopt, false, false}, {}, true},
      {{"can", "-b", "500", "--nocheck", "send", "-e", "-r", "1", "2"},
       {"1", "2", std::nullopt, true, true},
       "500",
       true},
      {{"can", "--baudrate", "5000", "send", "--length", "+08", "--extended", "--remote", "x"},
       {"x", std::nullopt, std::uint8_t{8}, true, true},
       "5000",
       false},
      {{"can", "send", "-l", "255", "123", "11"},
       {"123", "11", std::uint8_t{255}, false, false},
       {},
       false},
      {{"can", "send", "-l", "0", "123", "00"},
       {"123", "00", std::uint8_t{0}, false, false},
       {},
       false},
      // Any text: the action checks identifiers and data with its own messages.
      {{"can", "send", "0X1 2", "zz"}, {"0X1 2", "zz", std::nullopt, false, false}, {}, false},
      {{"can", "send", "123", ""}, {"123", "", std::nullopt, false, false}, {}, false},
  };
  for (const auto& c : cases) {
    const auto parsed = parse(c.args);
    const auto line = testing::PrintToString(c.args);
    ASSERT_TRUE(parsed.action) << line << parsed.err;
    EXPECT_EQ(parsed.action->baudrate, c.baudrate) << line;
    EXPECT_EQ(parsed.action->nocheck, c.nocheck) << line;
    const auto* send = std::get_if<can::Send>(&parsed.action->action);
    ASSERT_NE(send, nullptr) << line;
    EXPECT_EQ(send->identifier, c.send.identifier) << line;
    EXPECT_EQ(send->data, c.send.data) << line;
    EXPECT_EQ(send->length, c.send.length) << line;
    EXPECT_EQ(send->extended, c.send.extended) << line;
    EXPECT_EQ(send->remote, c.send.remote) << line;
  }
}

TEST(CanGrammar, DumpValuesReachTheHandler) {
  const struct {
    Args args;
    std::optional<Ids> filter;
    std::optional<std::string> output;
    bool delta, csv;
  } cases[] = {
      {{"can", "dump"}, std::nullopt, std::nullopt, false, false},
      {{"can", "dump", "-d", "-c"}, std::nullopt, std::nullopt, true, true},
      {{"can", "dump", "out.csv"}, std::nullopt, "out.csv", false, false},
      // The filter's values run to the next option or "--".
      {{"can", "dump", "-d", "-c", "-f", "123", "7FF", "--", "messages.csv"},
       Ids{"123", "7FF"},
       "messages.csv",
       true,
       true},
      {{"can", "dump", "-d", "-c", "-f", "123", "7FF", "messages.csv"},
       Ids{"123", "7FF", "messages.csv"},
       std::nullopt,
       true,
       true},
      {{"can", "dump", "-f", "123", "-d", "out"}, Ids{"123"}, "out", true, false},
      {{"can", "dump", "out", "-f", "123"}, Ids{"123"}, "out", false, false},
      {{"can", "dump", "-f", "7FF", "-f", "123", "--filter", "00000555"},
       Ids{"7FF", "123", "00000555"},
       std::nullopt,
       false,
       false},
      // A bare -f is present and empty: it keeps every frame.
      {{"can", "dump", "-f"}, Ids{}, std::nullopt, false, false},
      {{"can", "dump", "-f", "-c"}, Ids{}, std::nullopt, false, true},
      {{"can", "dump", "-f", "--", "out"}, Ids{}, "out", false, false},
      {{"can", "dump", "--", "out"}, std::nullopt, "out", false, false},
      // The "--" that ends a list ends the options too: what follows is the path, as typed.
      {{"can", "dump", "-f", "7FF", "--", "-frames.csv"}, Ids{"7FF"}, "-frames.csv", false, false},
      {{"can", "dump", "-f", "7FF", "--", "--help"}, Ids{"7FF"}, "--help", false, false},
      {{"can", "dump", "-c", "-f", "--", "-d"}, Ids{}, "-d", false, true},
      // The output path is taken as bytes, UTF-8 or not.
      {{"can", "dump", "--", "caf\xe9.csv"}, std::nullopt, "caf\xe9.csv", false, false},
  };
  for (const auto& c : cases) {
    const auto dump = action_of<can::Dump>(c.args);
    if (!dump) {
      continue;
    }
    const auto line = testing::PrintToString(c.args);
    EXPECT_EQ(dump->filter, c.filter) << line;
    EXPECT_EQ(dump->output, c.output) << line;
    EXPECT_EQ(dump->delta, c.delta) << line;
    EXPECT_EQ(dump->csv, c.csv) << line;
  }
}

TEST(CanGrammar, LogAndEndingsReachTheDump) {
  const struct {
    Args args;
    bool log;
    std::optional<std::string> interface;
    std::optional<std::uint64_t> count, idle_ms;
  } cases[] = {
      {{"can", "dump"}, false, std::nullopt, std::nullopt, std::nullopt},
      {{"can", "dump", "-L"}, true, std::nullopt, std::nullopt, std::nullopt},
      {{"can", "dump", "--log", "--interface", "vcan1"}, true, "vcan1", std::nullopt, std::nullopt},
      {{"can", "dump", "-c", "--count", "+010", "--idle", "250"}, false, std::nullopt, 10, 250},
      {{"can", "dump", "-L", "--interface", "abcdefghijklmno", "--count", "1"},
       true,
       "abcdefghijklmno",
       1,
       std::nullopt},
  };
  for (const auto& c : cases) {
    const auto dump = action_of<can::Dump>(c.args);
    if (!dump) {
      continue;
    }
    const auto line = testing::PrintToString(c.args);
    EXPECT_EQ(dump->log, c.log) << line;
    EXPECT_EQ(dump->interface, c.interface) << line;
    EXPECT_EQ(dump->count, c.count) << line;
    EXPECT_EQ(dump->idle_ms, c.idle_ms) << line;
  }
}

TEST(CanGrammar, ReplayValuesReachTheHandler) {
  const struct {
    Args args;
    std::string file;
    std::optional<std::string> interface;
    bool ignore_timestamps;
  } cases[] = {
      {{"can", "replay", "bus.log"}, "bus.log", std::nullopt, false},
      {{"can", "-n", "replay", "-t", "--interface", "can1", "-"}, "-", "can1", true},
      {{"can", "replay", "--ignore-timestamps", "--", "-t"}, "-t", std::nullopt, true},
  };
  for (const auto& c : cases) {
    const auto replay = action_of<can::Replay>(c.args);
    if (!replay) {
      continue;
    }
    const auto line = testing::PrintToString(c.args);
    EXPECT_EQ(replay->file, c.file) << line;
    EXPECT_EQ(replay->interface, c.interface) << line;
    EXPECT_EQ(replay->ignore_timestamps, c.ignore_timestamps) << line;
  }
}

TEST(CanGrammar, RefusesWithTheReason) {
  const struct {
    Args args;
    const char* reason; // in the error message; "" when only the status is certain
  } cases[] = {
      {{"can", "send", "-l", "256", "123", "11"}, "number too large to fit in target type"},
      {{"can", "send", "-l", "x", "123", "11"}, "invalid digit found in string"},
      {{"can", "send", "-l", "-1", "123", "11"}, ""},
      {{"can", "send", "--length=", "123", "11"}, "cannot parse integer from empty string"},
      {{"can", "send"}, ""},
      {{"can", "send", "1", "2", "3"}, ""},
      {{"can", "-b", "5 0", "send", "1"}, "must not contain spaces or control characters"},
      {{"can", "-b", "500\rlaunch-bootloader", "send", "1"},
       "must not contain spaces or control characters"},
      {{"can", "-b", "5\xff", "send", "1"}, "must be valid UTF-8 text"},
      {{"can", "send", "1\xff", "11"}, "must be valid UTF-8 text"},
      {{"can", "send", "1", "\xff"}, "must be valid UTF-8 text"},
      {{"can", "dump", "-f", "\xff"}, "must be valid UTF-8 text"},
      {{"can", "send", "-b", "500", "1"}, ""}, // -b belongs before the action
      {{"can", "dump", "a", "b"}, ""},
      // The log carries absolute times: neither CSV nor deltas go with it.
      {{"can", "dump", "-L", "-c"}, "cannot be used with"},
      {{"can", "dump", "-d", "--log"}, "cannot be used with"},
      {{"can", "dump", "--interface", "can0"},
       "the argument '--interface <INTERFACE>' requires '--log'"},
      {{"can", "dump", "-L", "--interface", ""}, "must be 1 to 15 characters"},
      {{"can", "dump", "-L", "--interface", "abcdefghijklmnop"}, "must be 1 to 15 characters"},
      {{"can", "dump", "-L", "--interface", "can 0"}, "none of them a space"},
      {{"can", "dump", "-L", "--interface", "a/b"}, "'/'"},
      {{"can", "replay", "--interface", "a\tb", "x.log"}, "control character"},
      {{"can", "dump", "--count", "0"}, "must be at least 1"},
      {{"can", "dump", "--idle", "+0"}, "must be at least 1"},
      {{"can", "dump", "--idle", "x"}, "invalid digit found in string"},
      {{"can", "replay"}, "<FILE>"},
  };
  for (const auto& c : cases) {
    const auto parsed = parse(c.args);
    const auto line = testing::PrintToString(c.args);
    EXPECT_EQ(parsed.answered, std::optional<std::uint8_t>(1)) << line;
    EXPECT_THAT(parsed.err, HasSubstr(c.reason)) << line;
    EXPECT_EQ(parsed.out, "") << line;
  }
}

TEST(CanGrammar, CanAloneShowsItsHelpAsAnError) {
  const auto parsed = parse({"can"});
  EXPECT_EQ(parsed.answered, std::optional<std::uint8_t>(1));
  EXPECT_THAT(parsed.err, HasSubstr("Interface with and control the on-board can device"));
  EXPECT_THAT(parsed.err, HasSubstr("Send a message on the CAN Bus"));
  EXPECT_THAT(parsed.err, HasSubstr("Listen to messages on the CAN Bus"));
  EXPECT_EQ(parsed.out, "");
}

TEST(CanGrammar, ActionsCarryTheVersion) {
  for (const Args& args : {Args{"can", "send", "-V"}, Args{"can", "dump", "--version"}}) {
    const auto parsed = parse(args);
    EXPECT_EQ(parsed.answered, std::optional<std::uint8_t>(0));
    EXPECT_EQ(parsed.out, "Zelkor 1.0.1\n");
  }
}

// `text` with every run of spaces and line breaks as one space: help pages wrap long texts.
std::string words(const std::string& text) {
  std::string joined;
  for (const char c : text) {
    const bool blank = c == ' ' || c == '\n';
    if (!blank) {
      joined += c;
    } else if (!joined.empty() && joined.back() != ' ') {
      joined += ' ';
    }
  }
  return joined;
}

// Each text appears word for word on the page it belongs to; long texts only on the long page.
TEST(CanGrammar, HelpTexts) {
  const struct {
    Args args;
    std::vector<std::string> present;
    std::vector<std::string> absent;
  } cases[] = {
      {{"can", "-h"},
       {"Interface with and control the on-board can device", "Set the device baudrate [100-1000]",
        "Skip checking the mode of the CAN device", "Send a message on the CAN Bus",
        "Listen to messages on the CAN Bus"},
       {"Possible values are", "Enabling this can prevent collisions", "standard can mode"}},
      {{"can", "--help"},
       {"Send and receive can messages, set baudrate, etc. All operations require the device to "
        "be in standard can mode.",
        "Possible values are 100K-1000K (e.g. `zelkor can -b 500 send 123 11223344`)",
        "If not passed, the message will be sent or recieved at the current bus baudrate. "
        "Current bus baudrate may be reported with `zelkor config can-baudrate`. Baudrates "
        "passed here will NOT override the baudrate loaded on system reset (cold boot). To set "
        "that default baudrate, run `zelkor config can-baudrate [BAUD]`",
        "Skip checking the mode of the CAN device.",
        "Enabling this can prevent collisions when the terminal may be in use by another "
        "application. It's also a little faster.",
        "To manually report the CAN mode, run `zelkor config can-mode`. For these functions to "
        "work, it should return `std`. The CAN mode may be set to standard with the command "
        "`zelkor config can-mode std`."},
       {}},
      {{"can", "send", "-h"},
       {"Message identifier, formatted as a hex string (e.g. 7FF)",
        "Up to 8 bytes of message data, formatted as a hex string. (e.g. 11223344AABBCCDD)",
        "Length of the data to be transmitted", "Message should be sent in extended frame format",
        "Send a remote request frame instead of a data frame"},
       {"Example:", "If not specified", "This only affects"}},
      {{"help", "can", "send"},
       {"Example: `zelkor can send 123 11223344`",
        "If not specified, data length will be detected based on passed data.",
        "This only affects the 'identifier' portion of the CAN message."},
       {}},
      {{"can", "dump", "-h"},
       {"Accept messages with matching IDs. Discard all others",
        "Log the time delta between frames", "Output file, stdout if not present",
        "Format the output like a csv"},
       {"Examples:", "Multiple id filters", "Times will be reported", "Header will be included"}},
      {{"can", "dump", "--help"},
       {"Dump output from all received can messages. Supports some additional features like "
        "logging the time between frames, or filtering for certain message IDs.",
        "`zelkor can dump -d`  # Print all can messages to the terminal along with time delta",
        "`zelkor can dump -d -c -f 123 7FF -- messages.csv`  # Log messages with matching ids to "
        "messages.csv",
        "Multiple id filters may be applied by passing them as a list. Example: `zelkor can dump "
        "-f 7FF 123 00000555`",
        "Times will be reported as floating point seconds; 1.001 is 1001 milliseconds. Delta is "
        "calculated, so should not be considered completely representative of message time.",
        "Header will be included as id,len,data or id,len,data,delta."},
       {}},
  };
  for (const auto& c : cases) {
    const auto parsed = parse(c.args);
    const auto line = testing::PrintToString(c.args);
    EXPECT_EQ(parsed.answered, std::optional<std::uint8_t>(0)) << line;
    for (const auto& text : c.present) {
      EXPECT_THAT(words(parsed.out), HasSubstr(words(text))) << line;
    }
    for (const auto& text : c.absent) {
      EXPECT_THAT(words(parsed.out), testing::Not(HasSubstr(text))) << line;
    }
  }
}

} // namespace
} // namespace zelkor
