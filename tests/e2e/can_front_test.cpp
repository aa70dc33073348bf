// `can` before its action: the mode check and the baud rate on the terminal port, their
// messages, and nothing on the CAN port when either fails.
#include "can_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <functional>
#include <string>

namespace zelkor::e2e {
namespace {

constexpr const char* cannot_check =
    "Could not check can mode. Try running with the `--nocheck` flag?\n";
constexpr const char* invalid_mode =
    "Invalid can operation mode. Try running `zelkor config can-mode std`?\n";

// The listing the firmware gives for "config", with `mode` as its CAN mode.
std::string listing(const std::string& mode) {
  return "User Config: 1\r\nCAN Baudrate: 500\r\nCAN Mode: " + mode + "\r\nHotplug: on\r\n";
}

struct Run {
  Board::Result result;
  std::string terminal;
  std::string can;
};

// `zelkor ARGS` on a fresh board with the default firmware (the CAN port silent, so that no
// acknowledgement races the 1 ms answer window), set up further by `script`. The terminal
// exchanges have 25 ms answer windows that a starved firmware thread can miss on a loaded
// machine, so a run whose output differs is tried again, at most three times, and says so.
Run run_can(const Args& args, const std::function<void(Board&)>& script, const std::string& printed,
            sim::BoardOptions options = {.default_firmware = true}) {
  Run run;
  for (int attempt = 1; attempt <= 3; ++attempt) {
    Board board(options);
    board.set_silent(PortId::can, true);
    script(board);
    Args argv{"can"};
    argv.insert(argv.end(), args.begin(), args.end());
    run.result = zelkor(board, argv);
    std::this_thread::sleep_for(30ms); // the firmware threads record what is still in flight
    run.terminal = board.received(PortId::terminal);
    run.can = board.received(PortId::can);
    if (run.result.out == printed) {
      break;
    }
    std::printf("[ retry    ] %s: attempt %d printed %s\n", joined(argv).c_str(), attempt,
                testing::PrintToString(run.result.out).c_str());
  }
  return run;
}

void nothing(Board& /*board*/) {}

TEST(CanFront, ChecksTheModeThenSends) {
  const auto run = run_can({"send", "123", "11"}, nothing, "\n");
  EXPECT_EQ(run.result.status, 0);
  EXPECT_EQ(run.result.out, "\n");
  EXPECT_EQ(run.terminal, "config");
  EXPECT_EQ(run.can, "std 123 1 11 data");
}

TEST(CanFront, NocheckLeavesTheTerminalPortAlone) {
  const auto run = run_can({"-n", "send", "123", "11"}, nothing, "\n");
  EXPECT_EQ(run.result.status, 0);
  EXPECT_EQ(run.terminal, "");
  EXPECT_EQ(run.can, "std 123 1 11 data");
}

// Exactly "std" passes; anything else, however close, stops before the CAN port.
TEST(CanFront, ModeOtherThanStdIsRefused) {
  for (const std::string mode : {"STD", "Std", "slcan", "std1", "st"}) {
    const auto run = run_can(
        {"send", "123", "11"},
        [&](Board& board) { board.answer(PortId::terminal, "config", {{listing(mode)}}); },
        invalid_mode);
    EXPECT_EQ(run.result.out, invalid_mode) << mode;
    EXPECT_EQ(run.result.status, 1) << mode;
    EXPECT_EQ(run.terminal, "config") << mode;
    EXPECT_EQ(run.can, "") << mode;
  }
}

TEST(CanFront, ModeThatCannotBeReadIsReportedWithoutItsCause) {
  const struct {
    const char* name;
    std::function<void(Board&)> script;
    sim::BoardOptions options;
  } cases[] = {
      {"no answer",
       [](Board& board) { board.set_silent(PortId::terminal, true); },
       {.default_firmware = true}},
      {"no can-mode field",
       [](Board& board) {
         board.answer(PortId::terminal, "config", {{"User Config: 1\r\nHotplug: on\r\n"}});
       },
       {.default_firmware = true}},
      {"no terminal port",
       nothing,
       {.topology = sim::Topology::one_port, .default_firmware = true}},
  };
  for (const auto& c : cases) {
    for (const Args& action : {Args{"send", "123", "11"}, Args{"dump"}}) {
      const auto run = run_can(action, c.script, cannot_check, c.options);
      EXPECT_EQ(run.result.out, cannot_check) << c.name;
      EXPECT_EQ(run.result.status, 1) << c.name;
      EXPECT_EQ(run.can, "") << c.name;
    }
  }
}

// The value goes to the controller as typed, saved, and its answer is printed before the
// action runs.
TEST(CanFront, BaudrateIsSetAndSavedBeforeTheAction) {
  const struct {
    Args args;
    std::string terminal;
  } cases[] = {
      {{"-b", "500", "send", "123", "11"}, "configset can-baudrate 500save-config"},
      {{"-n", "-b", "5000", "send", "123", "11"}, "set can-baudrate 5000save-config"},
      {{"-n", "--baudrate", "1M", "send", "123", "11"}, "set can-baudrate 1Msave-config"},
  };
  for (const auto& c : cases) {
    const auto run = run_can(c.args, nothing, "OK\n\n");
    EXPECT_EQ(run.result.out, "OK\n\n") << joined(c.args);
    EXPECT_EQ(run.result.status, 0) << joined(c.args);
    EXPECT_EQ(run.terminal, c.terminal) << joined(c.args);
    EXPECT_EQ(run.can, "std 123 1 11 data") << joined(c.args);
  }
}

TEST(CanFront, BaudrateFailureStopsBeforeTheAction) {
  const std::string printed = "Could not set baudrate! Error: " + one_port_found + "\n";
  const auto run = run_can({"-n", "-b", "500", "send", "123", "11"}, nothing, printed,
                           {.topology = sim::Topology::one_port, .default_firmware = true});
  EXPECT_EQ(run.result.out, printed);
  EXPECT_EQ(run.result.status, 1);
  EXPECT_EQ(run.can, "");
}

// A value that would end the set command early never reaches the board.
TEST(CanFront, BaudrateThatIsNotOneWordIsRefusedByTheParser) {
  for (const std::string value : {"5 0", "500\rlaunch-bootloader", "500\n", "5\xff"}) {
    Board board;
    const auto result = zelkor(board, {"can", "-n", "-b", value, "send", "123", "11"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err, "");
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(board.received(PortId::terminal), "");
    EXPECT_EQ(board.received(PortId::can), "");
  }
}

TEST(CanFront, BaudrateIsSetBeforeADump) {
  for (int attempt = 1; attempt <= 3; ++attempt) {
    Board board({.default_firmware = true});
    board.stream(PortId::can, {}, 0ms); // a quiet bus
    auto child = start_dump(board, {}, {"-n", "-b", "250"});
    const std::string expected = "OK\n      id [l]             data\n";
    const bool shown = eventually([&] { return child.out_so_far() == expected; }, 5s);
    child.signal(SIGINT);
    const auto result = child.wait(exits_within);
    if (!shown && attempt < 3) {
      std::printf("[ retry    ] can -n -b 250 dump: attempt %d printed %s\n", attempt,
                  testing::PrintToString(result.out).c_str());
      continue;
    }
    EXPECT_EQ(result.out, expected);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(board.received(PortId::terminal), "set can-baudrate 250save-config");
    EXPECT_EQ(board.received(PortId::can), "");
    break;
  }
}

} // namespace
} // namespace zelkor::e2e
