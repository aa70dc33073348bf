#pragma once
// The simulated board: the microcontroller as a USB device 1fc9:00a3 with two pty-backed tty
// ports (CAN first, terminal second), seen by any program started through run() or spawn()
// (or with environment()), which runs under the umockdev preload and knows nothing of it.
//
// Each port has its own firmware thread. It records every byte the program writes, takes the
// bytes of one burst (until 2 ms of quiet) as one command, and answers a scripted command with
// its Reply; other commands get no answer, or the default firmware's when that is enabled.
// Every member is thread-safe.
//
// What a program under the board sees: the tty devices of the topology with ID_BUS,
// ID_VENDOR_ID and ID_MODEL_ID on each port (set last, so a port is never seen half-made), a
// parent device and a node; every ioctl (TIOCEXCL, TIOCNXCL, ...) runs on the real pty and
// isatty() is true. There is no udev database: matching on "is initialized" finds nothing.
// Bytes the firmware sent that nobody read stay queued for the next program to open the port,
// and the line settings outlast the program, as on a real port.
//
// zelkor-sim runs any program (a shell, a benchmark driver) under a board with the default
// firmware; every process it starts is under the board too.
//
//   zelkor::sim::Board board({.default_firmware = true});
//   board.answer(zelkor::sim::PortId::terminal, "kind", {{"Board", "\r\n"}, 30ms});
//   auto result = board.run({ZELKOR_BINARY, "op", "kind"});
//   EXPECT_EQ(result.status, 0);
//   EXPECT_TRUE(board.wait_received(zelkor::sim::PortId::terminal, "kind", 1s));

#include "bootloader.h"
#include "child.h"
#include "firmware.h"
#include "reply.h"

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <termios.h>
#include <vector>

namespace zelkor::sim {

// Which tty devices exist. Only two_ports, one_port, three_ports and bad_vendor_id carry the
// microcontroller; the others hold look-alikes that a correct program finds no port among.
enum class Topology {
  two_ports,      // the microcontroller: CAN port, terminal port
  none,           // no USB serial device at all
  one_port,       // the microcontroller with its CAN port only
  three_ports,    // the microcontroller with a third port after the terminal port
  foreign_vendor, // two-port USB adapters 0403:00a3 and 1fc9:00a4, no microcontroller
  non_usb,        // two ports ID_BUS=pci with the microcontroller's IDs, no microcontroller
  bad_vendor_id,  // a USB port with ID_VENDOR_ID "1fc9x" enumerated first, then two_ports
};

struct BoardOptions {
  Topology topology = Topology::two_ports;
  int extra_ttys = 0;             // unrelated platform ttys (no ID_BUS), enumerated last
  bool default_firmware = false;  // answer unscripted commands and stream CAN frames
  FirmwareStyle style{};          // how the default firmware splits and paces its answers
  BootloaderOptions bootloader{}; // the restart on "launch-bootloader"
};

class Board {
public:
  using Result = sim::Result;
  using Child = sim::Child;

  explicit Board(BoardOptions options = {});
  ~Board(); // stops the firmware threads and removes the testbed
  Board(const Board&) = delete;
  Board& operator=(const Board&) = delete;

  // The port's device node ("/dev/ttyACM0"), or "" when the topology lacks it or it is unplugged.
  [[nodiscard]] std::string node(PortId port) const;
  // The directory that a preloaded program takes as its /sys and /dev.
  [[nodiscard]] std::string root() const;

  // Replaces the answer to exactly `command`. Scripted answers survive replug().
  void answer(PortId port, std::string command, Reply reply);
  void set_silent(PortId port, bool silent);    // answers nothing, still records
  void flood(PortId port, bool on);             // writes text without pause while on
  void stop_reading(PortId port, bool stopped); // the program's writes back up
  // Once the program has sent exactly `command`, the port takes none of its bytes any more
  // (until the board goes): the program's next write finds no room, while it can still read.
  void refuse_input_after(PortId port, std::string command);
  // Sends the frames in turn, one every `interval`, for ever; no frames stops it.
  void stream(PortId port, std::vector<std::string> frames, std::chrono::milliseconds interval);
  // Sends numbered_frame(0), (1), ... up to `count` frames in all (continuing the numbering on
  // a later call), as fast as the program reads them, in writes that split frames anywhere.
  void pour(PortId port, std::size_t count);
  // Writes the bytes now; unread ones wait in the port for the next program that opens it.
  void push(PortId port, std::string bytes);

  // Every byte the program wrote to the port since it was plugged in, in order (still
  // readable after unplug()).
  [[nodiscard]] std::string received(PortId port) const;
  // Waits until received(port) contains `expected`; false on time-out.
  bool wait_received(PortId port, std::string_view expected, std::chrono::milliseconds max) const;
  // The line settings the program left on the port.
  [[nodiscard]] termios line_settings(PortId port) const;

  // Every byte the program wrote to the bootloader's ports since it came back (see
  // BootloaderOptions; still readable after unplug()), and a wait for it as wait_received does.
  [[nodiscard]] std::string bootloader_received(PortId port) const;
  bool wait_bootloader_received(PortId port, std::string_view expected,
                                std::chrono::milliseconds max) const;
  // How often the program asked the bootloader's port how much of its output was still queued
  // (TIOCOUTQ), as a wait for its output to go out does: a pty takes every byte at once, so the
  // query is all there is to see of that wait.
  [[nodiscard]] std::size_t bootloader_output_queries(PortId port) const;

  // Removes the devices and hangs up the ports: an open port polls POLLHUP, reads end of
  // file and writes fail with EIO.
  void unplug();
  // Plugs the board in again under new node names (the old ones stay taken), received()
  // starting empty. Unplugs first when still plugged.
  void replug();

  // Runs a program (found on PATH) under the board; kills it after `max`.
  Result run(std::vector<std::string> argv,
             std::chrono::milliseconds max = std::chrono::seconds(20));
  // Starts a program with stdout and stderr captured, or passed through when `capture` is off.
  Child spawn(std::vector<std::string> argv, bool capture = true);
  // The entries that put a program under the board: LD_PRELOAD, UMOCKDEV_DIR and ASAN_OPTIONS
  // (with verify_asan_link_order=0, which a sanitized program under a preload needs).
  [[nodiscard]] std::vector<std::string> environment() const;

private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

} // namespace zelkor::sim
