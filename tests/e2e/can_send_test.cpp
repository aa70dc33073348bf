// `can send`: the exact frame command on the CAN port for every frame, and nothing on the port
// for a frame refused.
#include "can_support.h"

#include <gtest/gtest.h>

#include <string>

namespace zelkor::e2e {
namespace {

struct SendCase {
  Args args;          // after `send`
  std::string frame;  // written to the CAN port; "" when refused
  std::string output; // on standard output
};

// The board answers nothing: an empty answer is printed as an empty line.
TEST(CanSend, WritesTheFrameCommandOrNothing) {
  const SendCase cases[] = {
      {{"7FF", "11"}, "std 7FF 1 11 data", "\n"},
      {{"800", "11"}, "", "Max standard frame ID is 0x7FF\n"},
      {{"-e", "800", "11"}, "ext 800 1 11 data", "\n"},
      {{"-e", "1FFFFFFF", "11"}, "ext 1FFFFFFF 1 11 data", "\n"},
      {{"-e", "20000000", "11"}, "", "Max extended fram ID is 0x1FFFFFFF\n"},
      {{"-e", "100000000", "11"}, "", "Invalid hex id string\n"},
      {{"0x0x123", "AB"}, "std 123 1 AB data", "\n"},
      {{"0X123", "AB"}, "", "Invalid hex id string\n"},
      {{"+7ff", "11"}, "std +7ff 1 11 data", "\n"},
      {{"0x7ff", "11223344"}, "std 7ff 4 11223344 data", "\n"},
      {{"-e", "-r", "1ABCDEF0"}, "ext 1ABCDEF0 remote", "\n"},
      {{"-r", "-l", "20", "123", "xyz"}, "std 123 remote", "\n"},
      {{"123"},
       "",
       "Data required when not sending remote frames (e.g. `zelkor can send 123 "
       "1122`).\n"},
      {{"-r", "123"}, "std 123 remote", "\n"},
      {{"123", "112"}, "", "Malformed data string (incomplete byte? e.g. 112 should be 1102).\n"},
      {{"-l", "2", "123", "112"}, "std 123 2 112 data", "\n"},
      {{"123", "11223344AABBCCDD"}, "std 123 8 11223344AABBCCDD data", "\n"},
      {{"123", "11223344AABBCCDDEE"}, "", "Data length must be <= 8 bytes!\n"},
      {{"123", "0x"}, "", "Invalid hex data string\n"},
      {{"123", "zz"}, "", "Invalid hex data string\n"},
      {{"-l", "0", "123", "00"}, "std 123 0 00 data", "\n"},
      {{"-l", "9", "123", "11"}, "", "Data length must be <= 8 bytes!\n"},
  };
  Board board;
  for (const auto& c : cases) {
    Args args{"can", "-n", "send"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const std::string before = board.received(PortId::can);
    const auto result = zelkor(board, args);
    const auto line = joined(args);
    EXPECT_EQ(result.out, c.output) << line;
    EXPECT_EQ(result.err, "") << line;
    EXPECT_EQ(result.status, c.frame.empty() ? 1 : 0) << line;
    if (!c.frame.empty()) {
      EXPECT_TRUE(board.wait_received(PortId::can, before + c.frame, 2s)) << line;
    }
    std::this_thread::sleep_for(20ms); // room for anything unexpected to arrive
    EXPECT_EQ(board.received(PortId::can), before + c.frame) << line;
  }
  EXPECT_EQ(board.received(PortId::terminal), "");
}

TEST(CanSend, ExchangeErrorsNameTheFrameKind) {
  Board board({.topology = sim::Topology::one_port});
  const auto data = zelkor(board, {"can", "-n", "send", "123", "11"});
  EXPECT_EQ(data.out, std::string("Failed to send data frame: ") + one_port_found + "\n");
  EXPECT_EQ(data.status, 1);
  const auto remote = zelkor(board, {"can", "-n", "send", "-r", "123"});
  EXPECT_EQ(remote.out, std::string("Failed to send remote frame: ") + one_port_found + "\n");
  EXPECT_EQ(remote.status, 1);
}

} // namespace
} // namespace zelkor::e2e
