// `update` when the microcontroller does not restart as it should, and when its bootloader
// goes away half-way.
#include "update_support.h"

#include <gtest/gtest.h>

#include <thread>

namespace zelkor::e2e {
namespace {

using sim::BootloaderOptions;
using Clock = std::chrono::steady_clock;

// Both cases wait out a limit of the update (the 2 s grace, the 7 s wait), so they run side by
// side on boards of their own.
TEST(UpdateWait, PortsThatNeverGoAwayOrNeverComeBack) {
  Board staying({.bootloader = {.ports = BootloaderOptions::Ports::stay}});
  Board leaving({.bootloader = {.ports = BootloaderOptions::Ports::never_return}});
  const auto image = image_bytes(5000);
  const ImageFile file("fw.bin", image);

  const auto start = Clock::now();
  auto stays = staying.spawn({ZELKOR_BINARY, "update", file.path()});
  auto leaves = leaving.spawn({ZELKOR_BINARY, "update", file.path()});
  const auto stayed = stays.wait(20s);
  const auto stayed_for = Clock::now() - start;
  const auto left = leaves.wait(20s);
  const auto left_for = Clock::now() - start;

  // No sign of a restart: after the grace the update goes on with the ports present, as after
  // an interrupted update, when the bootloader is running already.
  EXPECT_EQ(stayed.out, update_complete);
  EXPECT_EQ(stayed.status, 0);
  EXPECT_GE(stayed_for, 2s);
  staying.wait_received(PortId::can, "starteraseflash" + image, 5s);
  EXPECT_TRUE(same_bytes(staying.received(PortId::can), "starteraseflash" + image));
  EXPECT_EQ(staying.received(PortId::terminal), "launch-bootloader");

  EXPECT_EQ(left.out, update_timed_out);
  EXPECT_EQ(left.status, 1);
  EXPECT_GE(left_for, 7s);
  EXPECT_TRUE(same_bytes(leaving.received(PortId::can), ""));
}

// A bootloader that takes part of the image and goes away: a failure, never "Update Complete!".
TEST(UpdateWait, BootloaderHangsUpMidImage) {
  Board board({.bootloader = {.stalled = true}});
  const ImageFile file("fw.bin", image_bytes(1024 * 1024));
  auto child = board.spawn({ZELKOR_BINARY, "update", file.path()});
  for (int i = 0; i < 1000 && child.out_so_far() != update_writing; ++i) {
    std::this_thread::sleep_for(10ms);
  }
  ASSERT_EQ(child.out_so_far(), update_writing);
  std::this_thread::sleep_for(200ms); // the image backs up in the port
  board.unplug();
  const auto result = child.wait(10s);
  EXPECT_EQ(result.out, update_writing + write_failed);
  EXPECT_EQ(result.status, 1);
}

} // namespace
} // namespace zelkor::e2e
