#pragma once
// Puts the tty devices of one topology into a testbed, the way the kernel and udev would
// present them.

#include "testbed.h"

#include <string>
#include <vector>

namespace zelkor::sim {

enum class Topology;

// Hands out node names that are never reused within one testbed.
struct NodeNames {
  int acm = 0;
  int usb = 0;
  int serial = 0;
};

// The microcontroller as plugged in: its ports in enumeration order.
struct Plugged {
  std::vector<TtyDevice> ports;
  std::vector<std::string> devices; // syspaths in the order added
};

// The devices that stay whatever happens to the microcontroller: look-alikes and extras.
void add_bystanders(Testbed& bed, NodeNames& names, Topology topology, int extra_ttys);

// Plugs in the microcontroller when the topology has one (none otherwise).
Plugged plug_board(Testbed& bed, NodeNames& names, Topology topology);

void unplug_board(Testbed& bed, const Plugged& board);

} // namespace zelkor::sim
