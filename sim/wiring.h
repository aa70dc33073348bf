#pragma once
// Puts the tty devices of one topology into a testbed, the way the kernel and udev would
// present them.

#include "testbed.h"

#include <string>
#include <vector>

namespace zelkor::sim {

enum class Topology;

// Hands out node names and USB device numbers that are never reused within one testbed.
struct NodeNames {
  int acm = 0;
  int usb = 0;
  int serial = 0;
  int devnum = 2; // 1 is the root hub
};

// The microcontroller as plugged in: its ports in enumeration order.
struct Plugged {
  std::vector<TtyDevice> ports;
  std::vector<std::string> devices; // syspaths in the order added
  std::string usb_port;             // where on the bus ("1-2")
  int devnum = 0;                   // the USB device number, new on every enumeration
};

// The devices that stay whatever happens to the microcontroller: look-alikes and extras.
void add_bystanders(Testbed& bed, NodeNames& names, Topology topology, int extra_ttys);

// Plugs in the microcontroller when the topology has one (none otherwise).
Plugged plug_board(Testbed& bed, NodeNames& names, Topology topology);

void unplug_board(Testbed& bed, const Plugged& board);

// The microcontroller back after `gone` was unplugged, as its bootloader: the same USB port and
// node names, the next device number. While not `openable` its nodes cannot be opened.
Plugged plug_again(Testbed& bed, NodeNames& names, const Plugged& gone, bool openable);

} // namespace zelkor::sim
