// A board that goes away in the middle of an answer.
#include "support.h"

#include <gtest/gtest.h>

#include <thread>

namespace zelkor::e2e {
namespace {

// The part of the answer that came before the board vanished is not an answer.
TEST(RawUnplug, DuringAnAnswerIsAReadFailure) {
  Board board;
  board.answer(PortId::terminal, "status", {{"Ignition: on\r\n", "Voltage: 24.1\r\n"}, 3s});
  auto child =
      board.spawn({ZELKOR_BINARY, "raw", "-t", "5000", "write", "-p", "terminal", "-c", "status"});
  ASSERT_TRUE(board.wait_received(PortId::terminal, "status", 10s));
  std::this_thread::sleep_for(300ms); // the first chunk is on its way
  board.unplug();
  const auto result = child.wait(10s);
  EXPECT_EQ(result.out, read_failed);
  EXPECT_EQ(result.status, 1);
}

} // namespace
} // namespace zelkor::e2e
