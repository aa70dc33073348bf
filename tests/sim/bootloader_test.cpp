// The board's restart into its bootloader, as a preloaded program sees it.
#include "board.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace zelkor::sim {
namespace {

using namespace std::chrono_literals;

constexpr const char* usb_device = "/sys/devices/pci0000:00/0000:00:14.0/usb1/1-2/";

std::string talk(Board& board, const std::string& node, const std::string& text) {
  return board.run({SIM_PORT_CLIENT, "talk", node, text, "50"}, 10s).out;
}

std::string sysfs(const Board& board, const std::string& attribute) {
  std::ifstream file(board.root() + usb_device + attribute);
  std::string value;
  std::getline(file, value);
  return value;
}

// Waits until the preloaded program lists `listing`; returns what it listed last.
std::string probe_until(Board& board, const std::string& listing, std::chrono::milliseconds max) {
  std::string seen;
  for (auto end = std::chrono::steady_clock::now() + max; std::chrono::steady_clock::now() < end;
       std::this_thread::sleep_for(10ms)) {
    seen = board.run({SIM_PROBE}).out;
    if (seen == listing) {
      break;
    }
  }
  return seen;
}

const std::string both_ports = "/dev/ttyACM0 parent=1 bus=usb vendor=1fc9 model=00a3 tty=1\n"
                               "/dev/ttyACM1 parent=1 bus=usb vendor=1fc9 model=00a3 tty=1\n";

TEST(Bootloader, ComesBackUnderTheSameNamesRenumberedAndRecordsEveryByte) {
  Board board({.bootloader = {.back_after = 200ms}});
  const auto devnum = sysfs(board, "devnum");
  EXPECT_EQ(sysfs(board, "busnum"), "1");
  talk(board, board.node(PortId::terminal), "launch-bootloader");
  EXPECT_EQ(probe_until(board, "", 5s), "");
  EXPECT_EQ(probe_until(board, both_ports, 5s), both_ports);
  EXPECT_NE(sysfs(board, "devnum"), devnum);
  EXPECT_EQ(sysfs(board, "busnum"), "1");

  EXPECT_EQ(board.run({SIM_PORT_CLIENT, "excl", "/dev/ttyACM1"}).out,
            "TIOCEXCL=0 flag=1\nTIOCNXCL=0 flag=0\n");
  EXPECT_EQ(talk(board, "/dev/ttyACM0", std::string("start\x01\xff", 7)), "isatty=1\n");
  EXPECT_TRUE(board.wait_bootloader_received(PortId::can, "start\x01\xff", 2s));
  EXPECT_EQ(board.bootloader_received(PortId::can), std::string("start\x01\xff", 7));
  EXPECT_EQ(board.bootloader_received(PortId::terminal), "");
  EXPECT_EQ(board.received(PortId::terminal), "launch-bootloader");
}

TEST(Bootloader, PortsThatStayOrNeverReturn) {
  Board staying({.bootloader = {.ports = BootloaderOptions::Ports::stay}});
  Board leaving({.bootloader = {.ports = BootloaderOptions::Ports::never_return}});
  talk(staying, staying.node(PortId::terminal), "launch-bootloader");
  talk(leaving, leaving.node(PortId::terminal), "launch-bootloader");
  std::this_thread::sleep_for(600ms);
  EXPECT_EQ(staying.run({SIM_PROBE}).out, both_ports);
  EXPECT_EQ(leaving.run({SIM_PROBE}).out, "");
}

TEST(Bootloader, NodesListedBeforeTheyCanBeOpened) {
  Board board({.bootloader = {.back_after = 0ms, .unopenable_for = 400ms}});
  talk(board, board.node(PortId::terminal), "launch-bootloader");
  std::this_thread::sleep_for(200ms);
  auto early = board.run({SIM_PORT_CLIENT, "talk", "/dev/ttyACM0", "x", "10"}, 10s);
  EXPECT_THAT(early.out, ::testing::StartsWith("open failed"));
  std::this_thread::sleep_for(500ms);
  EXPECT_EQ(talk(board, "/dev/ttyACM0", "x"), "isatty=1\n");
}

} // namespace
} // namespace zelkor::sim
