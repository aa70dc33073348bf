// `can replay`: the frame commands of a log on the CAN port, in order and at their times; a bad
// log refused before any port is touched; Ctrl-C, unplug and a missing board.
#include "can_support.h"

#include <fmt/format.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>

namespace zelkor::e2e {
namespace {

namespace fs = std::filesystem;

// The Debian package's interpreter, which has python3-can; another python3 on PATH may not.
constexpr const char* debian_python = "/usr/bin/python3";

class CanReplay : public WithTempDir {
protected:
  fs::path write_log(const std::string& text) const {
    const auto path = dir_ / "in.log";
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
};

// A log of `count` frames `gap_ms` apart, identifiers 100, 101, ..., and their commands.
std::pair<std::string, std::vector<std::string>> spaced_log(int count, int gap_ms) {
  std::string log;
  std::vector<std::string> commands;
  for (int i = 0; i < count; ++i) {
    const long long micros = 1765000000000000LL + static_cast<long long>(i) * gap_ms * 1000;
    log += fmt::format("({}.{:06}) can0 {:03X}#{:02X}\n", micros / 1000000, micros % 1000000,
                       0x100 + i, i);
    commands.push_back(fmt::format("std {:03X} 1 {:02X} data", 0x100 + i, i));
  }
  return {log, commands};
}

std::string concatenated(const std::vector<std::string>& commands) {
  std::string all;
  for (const auto& command : commands) {
    all += command;
  }
  return all;
}

TEST_F(CanReplay, SendsEachFrameCommandInOrder) {
  const auto log = write_log("(1765000000.000000) can0 123#11223344\n"
                             "\n"
                             "(1765000000.000100) can0 7ff#\r\n"
                             "(1765000000.000200) can1 00000555#0102030405060708 R\n"
                             "(1765000000.000300) can0 1ABCDEF0#R8 T\n"
                             "(1765000000.000400) can0 000#AA");
  Board board;
  const auto result = zelkor(board, {"can", "-n", "replay", "-t", log.string()});
  EXPECT_EQ(result.out, "Sent 5 frames\n");
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.status, 0);
  const std::string sent = "std 123 4 11223344 data"
                           "std 7ff 0 00 data"
                           "ext 00000555 8 0102030405060708 data"
                           "ext 1ABCDEF0 remote"
                           "std 000 1 AA data";
  EXPECT_TRUE(board.wait_received(PortId::can, sent, 2s));
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(board.received(PortId::can), sent);
  EXPECT_EQ(board.received(PortId::terminal), "");
}

TEST_F(CanReplay, OnlyTheInterfaceAskedFromStandardInput) {
  Board board;
  const auto result = board.run(
      {"sh", "-c",
       std::string("printf '(1.0) can0 123#11\\n(2.0) can1 124#22\\n(3.0) can1 125#R\\n' | ") +
           ZELKOR_BINARY + " can -n replay -t --interface can1 -"});
  EXPECT_EQ(result.out, "Sent 2 frames\n");
  EXPECT_EQ(result.status, 0);
  EXPECT_TRUE(board.wait_received(PortId::can, "std 124 1 22 datastd 125 remote", 2s));
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(board.received(PortId::can), "std 124 1 22 datastd 125 remote");
}

// Nothing is sent, not even the mode check, when any line is bad or there is nothing to send.
TEST_F(CanReplay, BadLogTouchesNoPort) {
  const struct {
    std::string log;
    Args options; // after `replay`
    std::string out;
  } cases[] = {
      {"(1.0) can0 123#11\n(2.0) can0 123#112\n",
       {},
       "IN:2: invalid data \"112\": an even number of hexadecimal digits, at most 16\n"},
      {"(1.0) can0 123#11\n(2.0) can0 123##1AA\n", {}, "IN:2: CAN FD frames cannot be replayed\n"},
      {"\n\n", {}, "IN: no frames to replay\n"},
      {"(1.0) can0 123#11\n", {"--interface", "can1"}, "IN: no frames on interface can1\n"},
  };
  for (const auto& c : cases) {
    Board board({.default_firmware = true});
    const auto log = write_log(c.log);
    Args args{"can", "replay"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.push_back(log.string());
    const auto result = zelkor(board, args);
    std::string expected = c.out;
    expected.replace(0, 2, log.string());
    EXPECT_EQ(result.out, expected) << c.log;
    EXPECT_EQ(result.status, 1) << c.log;
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(board.received(PortId::terminal), "") << c.log;
    EXPECT_EQ(board.received(PortId::can), "") << c.log;
  }
  Board board;
  const auto missing = zelkor(board, {"can", "-n", "replay", (dir_ / "none.log").string()});
  EXPECT_EQ(missing.out,
            "Could not read log " + (dir_ / "none.log").string() + ": No such file or directory\n");
  EXPECT_EQ(missing.status, 1);
}

TEST_F(CanReplay, FromPythonCanWriter) {
  const auto log = dir_ / "python.log";
  Board board;
  const auto written =
      board.run({debian_python, "-c",
                 "import can, sys\n"
                 "w = can.CanutilsLogWriter(sys.argv[1], channel='vcan0')\n"
                 "w.on_message_received(can.Message(timestamp=1.0, arbitration_id=0x123, "
                 "is_extended_id=False, data=[0x11, 0x22]))\n"
                 "w.on_message_received(can.Message(timestamp=1.001, arbitration_id=0x1ABCDEF0, "
                 "data=[1, 2, 3, 4, 5, 6, 7, 8], is_rx=False))\n"
                 "w.on_message_received(can.Message(timestamp=1.002, arbitration_id=0x7FF, "
                 "is_extended_id=False, is_remote_frame=True, dlc=4))\n"
                 "w.on_message_received(can.Message(timestamp=1.003, arbitration_id=0x5, "
                 "is_extended_id=False, data=[]))\n"
                 "w.stop()\n",
                 log.string()});
  ASSERT_EQ(written.status, 0) << written.err;
  const auto result = zelkor(board, {"can", "-n", "replay", log.string()});
  EXPECT_EQ(result.out, "Sent 4 frames\n");
  EXPECT_EQ(result.status, 0);
  const std::string sent = "std 123 2 1122 data"
                           "ext 1ABCDEF0 8 0102030405060708 data"
                           "std 7FF remote"
                           "std 005 0 00 data";
  EXPECT_TRUE(board.wait_received(PortId::can, sent, 2s));
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(board.received(PortId::can), sent);
}

// Waits for each command in turn and gives the time it showed on the board, from the first
// one's: the firmware's thread wakes this one as it takes the bytes. Empty once one is missing.
std::vector<std::chrono::microseconds> arrivals(const Board& board,
                                                const std::vector<std::string>& commands) {
  std::vector<std::chrono::microseconds> found;
  std::string expected;
  std::chrono::steady_clock::time_point first;
  for (const auto& command : commands) {
    expected += command;
    if (!board.wait_received(PortId::can, expected, 5s)) {
      return {};
    }
    const auto now = std::chrono::steady_clock::now();
    if (found.empty()) {
      first = now;
    }
    found.push_back(std::chrono::duration_cast<std::chrono::microseconds>(now - first));
  }
  return found;
}

// The log's gaps are kept: the frames are spread over the time the log spans, not sent back to
// back as they would be without the sleeps. How closely they are kept is a figure of
// bench/replay_timing, not of a test a loaded machine could fail; the margin here only absorbs
// how late this test's thread may see the first frame.
TEST_F(CanReplay, KeepsTheGapsOfTheLog) {
  const int frames = 40;
  const int gap_ms = 5;
  const auto [text, commands] = spaced_log(frames, gap_ms);
  const auto log = write_log(text);
  Board board;
  auto child = board.spawn({ZELKOR_BINARY, "can", "-n", "replay", log.string()});
  const auto at = arrivals(board, commands);
  const auto result = child.wait(exits_within);
  ASSERT_EQ(result.out, fmt::format("Sent {} frames\n", frames));
  ASSERT_EQ(board.received(PortId::can), concatenated(commands));
  ASSERT_EQ(at.size(), commands.size());
  const auto span = std::chrono::milliseconds((frames - 1) * gap_ms);
  EXPECT_GE(at.back(), span * 3 / 4);
}

TEST_F(CanReplay, CtrlCStopsBetweenFrames) {
  const auto log = write_log("(1.0) can0 123#11\n(31.0) can0 124#22\n");
  Board board;
  auto child = board.spawn({ZELKOR_BINARY, "can", "-n", "replay", log.string()});
  ASSERT_TRUE(board.wait_received(PortId::can, "std 123 1 11 data", 10s));
  ASSERT_TRUE(eventually([&] { return catches_sigint(child.pid()); }, 10s));
  child.signal(SIGINT);
  const auto result = child.wait(exits_within);
  EXPECT_EQ(result.out, "Stopped after 1 of 2 frames\n");
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.status, 130);
  // The port is free again.
  const auto next = zelkor(board, {"can", "-n", "replay", "-t", log.string()});
  EXPECT_EQ(next.out, "Sent 2 frames\n");
}

TEST_F(CanReplay, FailuresNameTheFrameLine) {
  const auto log = write_log("\n(1.0) can0 123#11\n");
  Board missing({.topology = sim::Topology::one_port});
  const auto result = zelkor(missing, {"can", "-n", "replay", log.string()});
  EXPECT_EQ(result.out, "Failed to send frame at line 2: " + one_port_found + "\n");
  EXPECT_EQ(result.status, 1);

  const auto [text, commands] = spaced_log(200, 20);
  const auto long_log = write_log(text);
  Board board;
  auto child = board.spawn({ZELKOR_BINARY, "can", "-n", "replay", long_log.string()});
  ASSERT_TRUE(board.wait_received(PortId::can, commands[2], 10s));
  board.unplug();
  const auto unplugged = child.wait(exits_within);
  // Gone during the write or during the answer window.
  EXPECT_THAT(unplugged.out,
              ::testing::MatchesRegex("Failed to send frame at line [0-9]+: (Failed to write to "
                                      "mcu -- it may be in use by another program|Failed to read "
                                      "response from microcontroller)\\.\n"));
  EXPECT_EQ(unplugged.status, 1);
}

} // namespace
} // namespace zelkor::e2e
