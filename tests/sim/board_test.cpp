#include "board.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <string>
#include <thread>
#include <vector>

namespace zelkor::sim {
namespace {

using namespace std::chrono_literals;
using ::testing::HasSubstr;
using ::testing::StartsWith;

std::string line(std::string_view node, std::string_view bus, std::string_view vendor,
                 std::string_view model) {
  return std::string(node) + " parent=1 bus=" + std::string(bus) +
         " vendor=" + std::string(vendor) + " model=" + std::string(model) + " tty=1\n";
}

std::string board_port(int n) {
  return line("/dev/ttyACM" + std::to_string(n), "usb", "1fc9", "00a3");
}

struct TopologyCase {
  const char* name;
  BoardOptions options;
  std::string listing;
  bool has_can;
  bool has_terminal;
};

void PrintTo(const TopologyCase& param, std::ostream* out) {
  *out << param.name;
}

class TopologyTest : public ::testing::TestWithParam<TopologyCase> {};

TEST_P(TopologyTest, EnumeratesAsAPreloadedProgramSeesIt) {
  const auto& param = GetParam();
  Board board(param.options);
  auto result = board.run({SIM_PROBE});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, param.listing);
  EXPECT_EQ(board.node(PortId::can).empty(), !param.has_can);
  EXPECT_EQ(board.node(PortId::terminal).empty(), !param.has_terminal);
}

INSTANTIATE_TEST_SUITE_P(
    Board, TopologyTest,
    ::testing::Values(
        TopologyCase{"two_ports", {}, board_port(0) + board_port(1), true, true},
        TopologyCase{"none", {.topology = Topology::none}, "", false, false},
        TopologyCase{"one_port", {.topology = Topology::one_port}, board_port(0), true, false},
        TopologyCase{"three_ports",
                     {.topology = Topology::three_ports},
                     board_port(0) + board_port(1) + board_port(2),
                     true,
                     true},
        TopologyCase{"foreign_vendor",
                     {.topology = Topology::foreign_vendor},
                     line("/dev/ttyUSB0", "usb", "0403", "00a3") +
                         line("/dev/ttyUSB1", "usb", "0403", "00a3") +
                         line("/dev/ttyUSB2", "usb", "1fc9", "00a4") +
                         line("/dev/ttyUSB3", "usb", "1fc9", "00a4"),
                     false,
                     false},
        TopologyCase{"non_usb",
                     {.topology = Topology::non_usb},
                     line("/dev/ttyS0", "pci", "1fc9", "00a3") +
                         line("/dev/ttyS1", "pci", "1fc9", "00a3"),
                     false,
                     false},
        TopologyCase{"bad_vendor_id",
                     {.topology = Topology::bad_vendor_id},
                     line("/dev/ttyUSB0", "usb", "1fc9x", "00a3") + board_port(0) + board_port(1),
                     true,
                     true},
        TopologyCase{"extra_ttys",
                     {.extra_ttys = 2},
                     board_port(0) + board_port(1) + line("/dev/ttyS0", "-", "-", "-") +
                         line("/dev/ttyS1", "-", "-", "-"),
                     true,
                     true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Board, BoardsSideBySideStayApart) {
  Board two;
  Board three({.topology = Topology::three_ports});
  EXPECT_EQ(two.run({SIM_PROBE}).out, board_port(0) + board_port(1));
  EXPECT_EQ(three.run({SIM_PROBE}).out, board_port(0) + board_port(1) + board_port(2));
}

// Runs the port client on one of the board's ports.
Board::Result client(Board& board, std::string mode, PortId port, std::vector<std::string> rest) {
  std::vector<std::string> argv{SIM_PORT_CLIENT, std::move(mode), board.node(port)};
  argv.insert(argv.end(), rest.begin(), rest.end());
  return board.run(argv, 10s);
}

TEST(Board, AnswersEachChunkAfterItsPauseAndRecordsEveryByte) {
  Board board;
  board.answer(PortId::terminal, "ping", {{"ab", "cd", "ef\r\n"}, 100ms});

  auto patient = client(board, "talk", PortId::terminal, {"ping", "300"});
  EXPECT_EQ(patient.out, "isatty=1\n[ab]\n[cd]\n[ef\r\n]\n");

  // A reader giving up sooner than the pause sees only the first chunk.
  auto hasty = client(board, "talk", PortId::terminal, {"ping", "20"});
  EXPECT_EQ(hasty.out, "isatty=1\n[ab]\n");

  // What the hasty one left unread waits in the port, as on a real device.
  std::this_thread::sleep_for(300ms);
  auto unknown = client(board, "talk", PortId::terminal, {"pong", "100"});
  EXPECT_EQ(unknown.out, "isatty=1\n[cdef\r\n]\n");
  EXPECT_EQ(board.received(PortId::terminal), "pingpingpong");
  EXPECT_EQ(board.received(PortId::can), "");
}

TEST(Board, SilentPortRecordsButNeverAnswers) {
  Board board({.default_firmware = true});
  board.set_silent(PortId::terminal, true);
  EXPECT_EQ(client(board, "talk", PortId::terminal, {"version", "100"}).out, "isatty=1\n");
  EXPECT_EQ(board.received(PortId::terminal), "version");
}

TEST(Board, DefaultFirmwareAnswersTheTerminalAndStreamsOnCan) {
  Board board({.default_firmware = true});
  auto listing = client(board, "talk", PortId::terminal, {"config", "100"});
  EXPECT_THAT(listing.out, HasSubstr("CAN Mode: std\r\n"));
  EXPECT_THAT(listing.out, HasSubstr("Hotplug: on\r\n"));
  EXPECT_EQ(client(board, "talk", PortId::terminal, {"dio-state", "100"}).out,
            "isatty=1\n[10110000\r\n]\n");
  EXPECT_THAT(client(board, "talk", PortId::can, {"", "700", "1"}).out, HasSubstr("\r\n]\n"));
}

TEST(Board, ReadsBackTheLineSettingsTheProgramLeft) {
  Board board;
  {
    auto child = board.spawn({SIM_PORT_CLIENT, "hold", board.node(PortId::can), "5000"});
    for (int i = 0; i < 500 && child.out_so_far().empty(); ++i) {
      std::this_thread::sleep_for(10ms);
    }
    ASSERT_EQ(child.out_so_far(), "held\n");
  } // gone: the settings outlive the program
  auto settings = board.line_settings(PortId::can);
  EXPECT_EQ(cfgetospeed(&settings), B9600);
  EXPECT_EQ(settings.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), CS8);
  EXPECT_EQ(settings.c_lflag & (ICANON | ECHO | ISIG), 0U);
  EXPECT_EQ(settings.c_oflag & OPOST, 0U);
}

TEST(Board, UnplugHangsUpTheOpenPortAndReplugBringsNewPorts) {
  Board board;
  board.answer(PortId::terminal, "hi", {{"there"}});
  auto old_node = board.node(PortId::terminal);
  auto child = board.spawn({SIM_PORT_CLIENT, "hold", old_node, "5000"});
  for (int i = 0; i < 500 && child.out_so_far().empty(); ++i) {
    std::this_thread::sleep_for(10ms);
  }
  board.unplug();
  auto held = child.wait(5s);
  EXPECT_THAT(held.out, StartsWith("held\nhangup\nread="));
  EXPECT_THAT(held.out, ::testing::AnyOf(HasSubstr("read=0"), HasSubstr("EIO")));
  EXPECT_EQ(board.node(PortId::terminal), "");
  EXPECT_EQ(board.run({SIM_PROBE}).out, "");

  board.replug();
  EXPECT_EQ(board.run({SIM_PROBE}).out, board_port(2) + board_port(3));
  EXPECT_NE(board.node(PortId::terminal), old_node);
  EXPECT_EQ(client(board, "talk", PortId::terminal, {"hi", "100"}).out, "isatty=1\n[there]\n");
}

TEST(Board, ExclusiveUseReachesThePty) {
  Board board;
  EXPECT_EQ(client(board, "excl", PortId::terminal, {}).out,
            "TIOCEXCL=0 flag=1\nTIOCNXCL=0 flag=0\n");
}

TEST(Board, BytesPushedBeforeOpenWaitForTheFirstReader) {
  Board board;
  board.push(PortId::terminal, "stale\r\n");
  EXPECT_EQ(client(board, "talk", PortId::terminal, {"", "100"}).out, "isatty=1\n[stale\r\n]\n");
}

TEST(Board, FloodNeverFallsSilentAndStoppedReadingBacksUp) {
  Board board;
  board.flood(PortId::can, true);
  // Each of 200 reads finds data waiting.
  auto flooded = client(board, "talk", PortId::can, {"", "500", "200"});
  EXPECT_EQ(std::ranges::count(flooded.out, '['), 200);

  board.stop_reading(PortId::terminal, true);
  EXPECT_THAT(client(board, "fill", PortId::terminal, {}).out, StartsWith("blocked\n"));
}

TEST(Board, StreamsFramesInTurn) {
  Board board;
  board.stream(PortId::can, {"1 01\r\n", "2 02\r\n"}, 20ms);
  auto heard = client(board, "talk", PortId::can, {"", "100", "4"}).out;
  // Frames sent before the port was open arrive together: look at the bytes alone.
  std::erase(heard, '[');
  std::erase(heard, ']');
  std::erase(heard, '\n');
  EXPECT_THAT(heard, HasSubstr("1 01\r2 02\r1 01\r"));
}

} // namespace
} // namespace zelkor::sim
