// `raw write` (and `raw listen` where it cannot start) run as a process against the board:
// what reaches the port, what is printed and the exit status.
#include "support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace zelkor::e2e {
namespace {

using sim::Topology;
using ::testing::IsEmpty;
using ::testing::Not;

constexpr const char* not_detected =
    "Could not detect any matching ports.\nFailed to auto-detect port. Try rebooting?\n";
constexpr const char* only_one =
    "Only found one matching port, but expected two.\nFailed to auto-detect port. Try rebooting?\n";

struct WriteCase {
  const char* name;
  sim::BoardOptions options;
  std::function<void(Board&)> script;
  std::function<Args(const Board&)> args; // after the binary's name
  std::string out;
  int status;
  std::string terminal_gets; // every byte the program wrote to each port
  std::string can_gets;
};

void PrintTo(const WriteCase& param, std::ostream* out) {
  *out << param.name;
}

Args fixed(Args args) {
  return args;
}

void version_answer(Board& board) {
  board.answer(PortId::terminal, "version", {{"v1\r\n"}});
}

void can_answer(Board& board) {
  board.answer(PortId::can, "x", {{"ok\r\n"}});
}

void nothing(Board& /*board*/) {}

class RawWrite : public ::testing::TestWithParam<WriteCase> {};

TEST_P(RawWrite, WritesTheCommandAndPrintsTheAnswer) {
  const auto& param = GetParam();
  Board board(param.options);
  param.script(board);
  const auto result = zelkor(board, param.args(board));
  EXPECT_EQ(result.out, param.out);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.status, param.status);
  EXPECT_EQ(board.received(PortId::terminal), param.terminal_gets);
  EXPECT_EQ(board.received(PortId::can), param.can_gets);
}

INSTANTIATE_TEST_SUITE_P(
    Raw, RawWrite,
    ::testing::Values(
        WriteCase{"terminal_drops_two_bytes",
                  {},
                  version_answer,
                  [](const Board&) {
                    return fixed({"raw", "write", "-p", "terminal", "-c", "version"});
                  },
                  "v1\n",
                  0,
                  "version",
                  ""},
        WriteCase{"truncate_before_and_command_after_the_action",
                  {},
                  can_answer,
                  [](const Board&) {
                    return fixed({"raw", "-t", "500", "-c", "0", "write", "-p", "can", "-c", "x"});
                  },
                  "ok\r\n\n",
                  0,
                  "",
                  "x"},
        WriteCase{"long_option_names_and_plus_signs",
                  {},
                  can_answer,
                  [](const Board&) {
                    return fixed({"raw", "--timeout", "+500", "--truncate", "+1", "write", "--port",
                                  "can", "--command", "x"});
                  },
                  "ok\r\n",
                  0,
                  "",
                  "x"},
        WriteCase{
            "command_written_as_typed",
            {},
            [](Board& board) { board.answer(PortId::terminal, " set a \"b\" ü\n", {{"ü\r\n"}}); },
            [](const Board&) {
              return fixed({"raw", "write", "-p", "terminal", "-c", " set a \"b\" ü\n"});
            },
            "ü\n",
            0,
            " set a \"b\" ü\n",
            ""},
        WriteCase{"truncate_larger_than_the_answer",
                  {},
                  version_answer,
                  [](const Board&) {
                    return fixed({"raw", "-c", "10", "write", "-p", "terminal", "-c", "version"});
                  },
                  "\n",
                  0,
                  "version",
                  ""},
        WriteCase{"silent_port",
                  {},
                  [](Board& board) { board.set_silent(PortId::terminal, true); },
                  [](const Board&) {
                    return fixed({"raw", "write", "-p", "terminal", "-c", "version"});
                  },
                  "\n",
                  0,
                  "version",
                  ""},
        WriteCase{
            "answer_not_utf8",
            {},
            [](Board& board) { board.answer(PortId::terminal, "version", {{"v\xff\xfe\r\n"}}); },
            [](const Board&) {
              return fixed({"raw", "write", "-p", "terminal", "-c", "version"});
            },
            read_failed,
            1,
            "version",
            ""},
        WriteCase{
            "device_path_of_the_terminal_port",
            {},
            version_answer,
            [](const Board& board) {
              return fixed({"raw", "write", "-p", board.node(PortId::terminal), "-c", "version"});
            },
            "v1\n",
            0,
            "version",
            ""},
        WriteCase{"term_is_a_device_path",
                  {},
                  version_answer,
                  [](const Board&) {
                    return fixed({"raw", "write", "-p", "term", "-c", "version"});
                  },
                  path_claim_failed,
                  1,
                  "",
                  ""},
        WriteCase{"kind_words_are_case_sensitive",
                  {},
                  can_answer,
                  [](const Board&) {
                    return fixed({"raw", "write", "-p", "CAN", "-c", "x"});
                  },
                  path_claim_failed,
                  1,
                  "",
                  ""},
        WriteCase{"missing_device_path",
                  {},
                  nothing,
                  [](const Board&) {
                    return fixed({"raw", "write", "-p", "/dev/ttyACM9", "-c", "x"});
                  },
                  path_claim_failed,
                  1,
                  "",
                  ""},
        WriteCase{"no_board",
                  {.topology = Topology::none},
                  nothing,
                  [](const Board&) {
                    return fixed({"raw", "write", "-p", "terminal", "-c", "x"});
                  },
                  not_detected,
                  1,
                  "",
                  ""},
        WriteCase{"board_with_one_port",
                  {.topology = Topology::one_port},
                  nothing,
                  [](const Board&) {
                    return fixed({"raw", "write", "-p", "can", "-c", "x"});
                  },
                  only_one,
                  1,
                  "",
                  ""},
        WriteCase{"listen_on_a_missing_device_path",
                  {},
                  nothing,
                  [](const Board&) {
                    return fixed({"raw", "listen", "-p", "term"});
                  },
                  path_claim_failed,
                  1,
                  "",
                  ""},
        WriteCase{"listen_without_a_board",
                  {.topology = Topology::none},
                  nothing,
                  [](const Board&) {
                    return fixed({"raw", "listen", "-p", "can"});
                  },
                  not_detected,
                  1,
                  "",
                  ""}),
    [](const auto& info) { return std::string(info.param.name); });

// An answer with a pause between its chunks: a time-out shorter than the pause cuts it, a
// longer one keeps it whole. The margins are wide, for loaded machines.
TEST(RawWriteTimeout, DecidesWhereTheAnswerEnds) {
  Board board;
  board.answer(PortId::terminal, "slow", {{"abc", "def\r\n"}, 400ms});
  const auto cut = zelkor(board, {"raw", "-c", "0", "write", "-p", "terminal", "-c", "slow"});
  EXPECT_EQ(cut.out, "abc\n");
  EXPECT_EQ(cut.status, 0);

  std::this_thread::sleep_for(600ms); // let the cut answer's tail arrive; the next claim drops it
  const auto whole =
      zelkor(board, {"raw", "-t", "2000", "-c", "0", "write", "-p", "terminal", "-c", "slow"});
  EXPECT_EQ(whole.out, "abcdef\r\n\n");
  EXPECT_EQ(whole.status, 0);
  EXPECT_EQ(board.received(PortId::terminal), "slowslow");
}

TEST(RawListenCommandLine, PortMustBeAnOption) {
  Board board;
  const auto result = zelkor(board, {"raw", "listen", "/dev/ttyACM0"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_THAT(result.err, Not(IsEmpty()));
}

} // namespace
} // namespace zelkor::e2e
