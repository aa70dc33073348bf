// `update` against the simulated board: the bytes on every port and the output of whole
// updates, and the failures that end one before the microcontroller is touched.
#include "update_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <thread>

namespace zelkor::e2e {
namespace {

using sim::BootloaderOptions;

struct FlowCase {
  const char* name;
  BootloaderOptions bootloader;
  std::string file_name;
};

void PrintTo(const FlowCase& param, std::ostream* out) {
  *out << param.name;
}

class UpdateFlow : public ::testing::TestWithParam<FlowCase> {};

// The image goes to the bootloader's first port, after the restart; the firmware's own CAN
// port gets nothing.
TEST_P(UpdateFlow, WritesTheImageToTheBootloaderAfterTheRestart) {
  const auto& param = GetParam();
  Board board({.bootloader = param.bootloader});
  const auto image = image_bytes(20000);
  const ImageFile file(param.file_name, image);

  const auto result = zelkor(board, {"update", file.path()});
  EXPECT_EQ(result.out, update_complete);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.status, 0);

  const auto sent = "starteraseflash" + image;
  EXPECT_TRUE(board.wait_bootloader_received(PortId::can, sent, 5s));
  std::this_thread::sleep_for(20ms);
  EXPECT_TRUE(same_bytes(board.bootloader_received(PortId::can), sent));
  EXPECT_EQ(board.bootloader_received(PortId::terminal), "");
  EXPECT_EQ(board.received(PortId::terminal), "launch-bootloader");
  EXPECT_TRUE(same_bytes(board.received(PortId::can), ""));
  // "Update Complete!" only once the port has sent it all: it waited for its output queue.
  EXPECT_GT(board.bootloader_output_queries(PortId::can), 0U);
}

INSTANTIATE_TEST_SUITE_P(
    Update, UpdateFlow,
    ::testing::Values(
        FlowCase{"ports_go_away_and_come_back_under_the_same_names", {}, "fw.bin"},
        FlowCase{"renumbered_without_a_gap", {.back_after = 0ms}, "fw.bin"},
        FlowCase{"bootloader_port_briefly_not_openable", {.unopenable_for = 400ms}, "fw.bin"},
        FlowCase{"path_not_utf8", {}, "fw\xff\xfe.bin"}),
    [](const auto& info) { return std::string(info.param.name); });

// Nothing may reach the microcontroller when the image is not fit to be written.
TEST(UpdateRefused, BeforeAnyPortIsTouched) {
  Board board;
  const ImageFile empty("empty.bin", "");
  const ImageFile oversized("big.bin", "");
  std::filesystem::resize_file(oversized.path(), 64 * 1024 * 1024 + 1);
  const ImageFile fine("fw.bin", "x");
  const auto missing = fine.dir() + "/missing.bin";

  struct Case {
    std::string path;
    std::string message;
  };
  const std::vector<Case> cases = {
      {empty.path(),
       "Firmware image " + empty.path() + " is empty: nothing was written. Download it again?"},
      {oversized.path(), "Firmware image " + oversized.path() +
                             " is larger than 64 MiB: nothing was written. Is it the right file?"},
      {"/dev/zero", "Firmware image /dev/zero is larger than 64 MiB: nothing was written. Is it "
                    "the right file?"},
      {missing, "Could not read firmware image " + missing + ": No such file or directory"},
      {fine.dir(), "Could not read firmware image " + fine.dir() + ": Is a directory"},
      {fine.dir() + "/no\xff",
       "Could not read firmware image " + fine.dir() + "/no\\xff: No such file or directory"},
      {fine.dir() + "/fw\x1b[31m.bin", "Could not read firmware image " + fine.dir() +
                                           "/fw\\x1b[31m.bin: No such file or directory"},
  };
  for (const auto& c : cases) {
    const auto result = zelkor(board, {"update", c.path});
    EXPECT_EQ(result.out, "Reading binary update file...\n" + c.message + "\n") << c.path;
    EXPECT_EQ(result.status, 1) << c.path;
  }
  EXPECT_EQ(terminal_traffic(board, ""), "");
  EXPECT_TRUE(same_bytes(board.received(PortId::can), ""));
}

TEST(UpdateRefused, WithoutTheMicrocontrollersTwoPorts) {
  const ImageFile file("fw.bin", image_bytes(100));
  struct Case {
    sim::Topology topology;
    std::string message;
  };
  for (const auto& c :
       {Case{sim::Topology::none, none_found}, Case{sim::Topology::one_port, only_one_found},
        Case{sim::Topology::three_ports, "Did not find expected number (2) of ports."}}) {
    Board board({.topology = c.topology});
    const auto result = zelkor(board, {"update", file.path()});
    EXPECT_EQ(result.out, "Reading binary update file...\nDetecting microntroller interface...\n" +
                              c.message + "\n");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(board.received(PortId::can), "") << c.message;
  }
}

TEST(UpdateRefused, WhileAnotherProgramHoldsTheTerminalPort) {
  Board board;
  auto holder = board.spawn({HOLD_PORT_BINARY, "terminal", "50"});
  for (int i = 0; i < 1000 && holder.out_so_far().empty(); ++i) {
    std::this_thread::sleep_for(10ms);
  }
  ASSERT_EQ(holder.out_so_far(), "claimed\n") << holder.err_so_far();
  const ImageFile file("fw.bin", image_bytes(100));

  const auto result = zelkor(board, {"update", file.path()});
  EXPECT_EQ(result.out, "Reading binary update file...\nDetecting microntroller interface...\n" +
                            std::string(kind_claim_failed));
  EXPECT_EQ(result.status, 1);
  holder.signal(SIGUSR1);
  EXPECT_EQ(holder.wait(10s).status, 0);
  EXPECT_EQ(board.received(PortId::terminal), "");
}

} // namespace
} // namespace zelkor::e2e
