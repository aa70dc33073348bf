// Ctrl-C during `update`: once the firmware has been asked to restart, stopping leaves the
// microcontroller without firmware, so one Ctrl-C only warns and a second one is needed.
#include "process_probe.h"
#include "update_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>

namespace zelkor::e2e {
namespace {

constexpr const char* warning =
    "zelkor: the update goes on: stopping it now leaves the microcontroller without firmware. "
    "Press Ctrl-C again to stop anyway.\n";
constexpr const char* interrupted =
    "Update interrupted: the microcontroller waits in its bootloader. Run the update again.\n";

bool printed(const sim::Child& child, const std::string& text) {
  return eventually([&] { return child.out_so_far().find(text) != std::string::npos; }, 10s);
}

// Sent while the bootloader is awaited: the update still completes, byte for byte.
TEST(UpdateInterrupt, OneCtrlCWarnsAndTheUpdateGoesOn) {
  Board board;
  const auto image = image_bytes(20000);
  const ImageFile file("fw.bin", image);
  auto child = board.spawn({ZELKOR_BINARY, "update", file.path()});
  ASSERT_TRUE(printed(child, "Starting bootloader...\n")) << child.out_so_far();
  child.signal(SIGINT);
  const auto result = child.wait(20s);
  EXPECT_EQ(result.out, update_complete);
  EXPECT_EQ(result.err, warning);
  EXPECT_EQ(result.status, 0);
  const auto sent = "starteraseflash" + image;
  EXPECT_TRUE(board.wait_bootloader_received(PortId::can, sent, 5s));
}

// The bootloader takes no bytes, so the image waits in the port: the second Ctrl-C ends that
// wait at once, and the run says where the microcontroller is left.
TEST(UpdateInterrupt, SecondCtrlCStopsWithoutCompleting) {
  Board board({.bootloader = {.stalled = true}});
  const ImageFile file("fw.bin", image_bytes(200000));
  auto child = board.spawn({ZELKOR_BINARY, "update", file.path()});
  ASSERT_TRUE(printed(child, "Writing new firmware...\n")) << child.out_so_far();
  child.signal(SIGINT);
  ASSERT_TRUE(eventually([&] { return child.err_so_far() == warning; }, 10s)) << child.err_so_far();
  EXPECT_FALSE(child.wait_exit(200ms));
  child.signal(SIGINT);
  const auto result = child.wait(5s);
  EXPECT_EQ(result.out, update_writing + interrupted);
  EXPECT_EQ(result.err, warning);
  EXPECT_EQ(result.status, 130);
}

} // namespace
} // namespace zelkor::e2e
