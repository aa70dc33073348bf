// What each operation puts on the wire and what it prints of the answer.
#include "support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

namespace zelkor::e2e {
namespace {

struct ExchangeCase {
  std::vector<std::string> args;
  std::string sent;
  std::string answer;
  std::string printed;
};

void PrintTo(const ExchangeCase& param, std::ostream* out) {
  *out << joined(param.args);
}

class OpExchange : public ::testing::TestWithParam<ExchangeCase> {};

// The board answers only the exact expected bytes, so a wrong command shows up twice: in the
// traffic and as an empty answer.
TEST_P(OpExchange, SendsTheCommandBareAndPrintsTheAnswer) {
  const auto& param = GetParam();
  const auto [result, traffic] =
      exchange([&](Board& board) { board.answer(PortId::terminal, param.sent, {{param.answer}}); },
               param.args, param.sent);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, param.printed);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(traffic, param.sent);
}

// Truncate count 2 strips the firmware's "\r\n"; count 1 (status) keeps the "\r".
INSTANTIATE_TEST_SUITE_P(
    Op, OpExchange,
    ::testing::Values(
        ExchangeCase{{"kind"}, "kind", "ZLK-Baseboard-B2\r\n", "ZLK-Baseboard-B2\n"},
        ExchangeCase{{"version"}, "version", "Firmware 2.4.1\r\n", "Firmware 2.4.1\n"},
        ExchangeCase{{"can-autobaud"},
                     "can-autobaud",
                     "Detected baudrate: 500\r\n",
                     "Detected baudrate: 500\n"},
        ExchangeCase{{"can-message", "-i", "123", "-d", "11223344"},
                     "can-message 123 11223344",
                     "OK\r\n",
                     "OK\n"},
        // Neither identifier nor data is judged by the tool.
        ExchangeCase{{"can-message", "--id", "800", "--data", "xyz"},
                     "can-message 800 xyz",
                     "OK\r\n",
                     "OK\n"},
        ExchangeCase{{"dio-state"}, "dio-state", "10110000\r\n", "10110000\n"},
        ExchangeCase{{"set-do", "2", "1"}, "set-do --1-", "OK\r\n", "OK\n"},
        ExchangeCase{{"set-do", "3", "0"}, "set-do ---0", "OK\r\n", "OK\n"},
        ExchangeCase{{"set-do", "0", "1"}, "set-do 1---", "OK\r\n", "OK\n"},
        ExchangeCase{{"set-led", "1", "0"}, "set-led 0---", "OK\r\n", "OK\n"},
        ExchangeCase{{"set-led", "4", "1"}, "set-led ---1", "OK\r\n", "OK\n"},
        ExchangeCase{{"set-led", "2", "1"}, "set-led -1--", "OK\r\n", "OK\n"},
        ExchangeCase{{"status"},
                     "status",
                     "Ignition: on\r\nUptime: 5321 s\r\n",
                     "Ignition: on\r\nUptime: 5321 s\r\n"},
        ExchangeCase{{"user-config", "-n", "2"}, "user-config 2", "OK\r\n", "OK\n"},
        ExchangeCase{{"user-config", "--number", "4"}, "user-config 4", "OK\r\n", "OK\n"},
        ExchangeCase{{"get-voltage"}, "get-voltage", "24.12\r\n", "24.12\n"},
        // The shortest text that reads back as the same float, never an exponent.
        ExchangeCase{{"cal-voltage", "-r", "19.950"}, "vcal 19.95", "OK\r\n", "OK\n"},
        ExchangeCase{{"cal-voltage", "-r", "2e1"}, "vcal 20", "OK\r\n", "OK\n"},
        ExchangeCase{{"cal-voltage", "-r", ".5"}, "vcal 0.5", "OK\r\n", "OK\n"},
        ExchangeCase{{"cal-voltage", "--reference", "+24"}, "vcal 24", "OK\r\n", "OK\n"},
        ExchangeCase{{"cal-voltage", "-r", "-0.125"}, "vcal -0.125", "OK\r\n", "OK\n"},
        ExchangeCase{{"cal-voltage", "-r", "3.4e38"},
                     "vcal 340000000000000000000000000000000000000",
                     "OK\r\n",
                     "OK\n"},
        ExchangeCase{{"cal-voltage", "-r", "1e-45"},
                     "vcal 0.000000000000000000000000000000000000000000001",
                     "OK\r\n",
                     "OK\n"},
        // Whatever the firmware says is the result, its own error texts included.
        ExchangeCase{{"kind"}, "kind", "Unknown command\r\n", "Unknown command\n"},
        // Fewer bytes than the truncate count leave nothing rather than buffer garbage.
        ExchangeCase{{"kind"}, "kind", "\n", "\n"}),
    [](const auto& info) {
      std::string name = std::to_string(info.index) + "_" + joined(info.param.args);
      for (char& c : name) {
        c = std::isalnum(static_cast<unsigned char>(c)) != 0 ? c : '_';
      }
      return name;
    });

struct InputCase {
  std::string input;
  std::string printed;
};

class OpGetDi : public ::testing::TestWithParam<InputCase> {};

// The digital-state answer lists I0 I1 I2 I3 O0 O1 O2 O3.
TEST_P(OpGetDi, PrintsTheInputsCharacterOfTheDigitalState) {
  const auto [result, traffic] = exchange(
      [](Board& board) { board.answer(PortId::terminal, "dio-state", {{"10110000\r\n"}}); },
      {"get-di", GetParam().input}, "dio-state");
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, GetParam().printed);
  EXPECT_EQ(traffic, "dio-state");
}

INSTANTIATE_TEST_SUITE_P(Op, OpGetDi,
                         ::testing::Values(InputCase{"0", "1\n"}, InputCase{"1", "0\n"},
                                           InputCase{"2", "1\n"}, InputCase{"3", "1\n"}),
                         [](const auto& info) { return "input" + info.param.input; });

// Positions count characters, not bytes.
TEST(OpGetDiCharacters, CountsCharactersNotBytes) {
  const std::string answer = "\xc3\xa9"
                             "0110000\r\n";
  const auto [result, traffic] =
      exchange([&](Board& board) { board.answer(PortId::terminal, "dio-state", {{answer}}); },
               {"get-di", "1"}, "dio-state");
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "0\n");
}

struct BadStateCase {
  const char* name;
  std::vector<std::string> answer; // no chunks: the board stays silent
  std::string input;
};

class OpGetDiRefuses : public ::testing::TestWithParam<BadStateCase> {};

// Anything that is not a state must not be printed as one.
TEST_P(OpGetDiRefuses, ReportsNoStateAndFails) {
  const auto& param = GetParam();
  const std::string printed =
      "Unexpected answer from microcontroller: no state for digital input " + param.input + ".\n";
  const auto [result, traffic] = exchange(
      [&](Board& board) {
        if (!param.answer.empty()) {
          board.answer(PortId::terminal, "dio-state", {param.answer});
        }
      },
      {"get-di", param.input}, "dio-state");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, printed);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(traffic, "dio-state");
}

INSTANTIATE_TEST_SUITE_P(
    Op, OpGetDiRefuses,
    ::testing::Values(BadStateCase{"short_answer", {"10\r\n"}, "3"},
                      // Truncate count 1 leaves the "\r", which is no state either.
                      BadStateCase{"answer_ends_at_the_input", {"101\r\n"}, "3"},
                      BadStateCase{"silent_board", {}, "0"},
                      BadStateCase{"firmware_error_text", {"Unknown command\r\n"}, "1"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OpUserConfig, SetDefaultMakesASecondExchangeAndPrintsBothAnswers) {
  const std::string both = "user-config 2set boot-config true";
  const auto [result, traffic] = exchange(
      [](Board& board) {
        board.answer(PortId::terminal, "user-config 2", {{"User config 2 loaded\r\n"}});
        board.answer(PortId::terminal, "set boot-config true", {{"Boot config set\r\n"}});
      },
      {"user-config", "-n", "2", "-s"}, both);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "User config 2 loaded\nBoot config set\n");
  EXPECT_EQ(traffic, both);
}

// The second exchange decides the result once the first went through.
TEST(OpUserConfig, SetDefaultFailsWhenTheSecondExchangeFails) {
  const std::string printed = std::string("OK\n") + read_failed;
  const std::string both = "user-config 3set boot-config true";
  const auto [result, traffic] = exchange(
      [](Board& board) {
        board.answer(PortId::terminal, "user-config 3", {{"OK\r\n"}});
        board.answer(PortId::terminal, "set boot-config true", {{"\xff\xfe\r\n"}});
      },
      {"user-config", "--number", "3", "--set-default"}, both);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, printed);
  EXPECT_EQ(traffic, both);
}

TEST(OpUserConfig, NoSetDefaultAfterAFailedFirstExchange) {
  const std::string printed = read_failed;
  const auto [result, traffic] = exchange(
      [](Board& board) {
        board.answer(PortId::terminal, "user-config 2", {{"\xff\xfe\r\n"}});
        board.answer(PortId::terminal, "set boot-config true", {{"OK\r\n"}});
      },
      {"user-config", "-n", "2", "-s"}, "user-config 2");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, printed);
  EXPECT_EQ(traffic, "user-config 2");
}

} // namespace
} // namespace zelkor::e2e
