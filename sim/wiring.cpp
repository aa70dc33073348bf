#include "wiring.h"

#include "board.h"

#include <fmt/core.h>

#include <functional>

namespace zelkor::sim {
namespace {

constexpr std::string_view usb_root = "pci0000:00/0000:00:14.0/usb1/";
constexpr std::string_view board_usb_port = "1-2"; // look-alikes sit on 1-1 and 1-3

struct UsbIdentity {
  std::string vendor;
  std::string model;
};

// Sets what udev's USB helper would set, the bus last: a program that finds ID_BUS sees the rest.
void identify(Testbed& bed, const TtyDevice& tty, const std::string& bus, const UsbIdentity& id) {
  bed.set_property(tty.syspath, "ID_VENDOR_ID", id.vendor);
  bed.set_property(tty.syspath, "ID_MODEL_ID", id.model);
  bed.set_property(tty.syspath, "ID_BUS", bus);
}

// Makes one tty device: its name and the USB interface it sits on.
using MakeTty = std::function<TtyDevice(const std::string& name, const std::string& interface)>;

// A USB device with one CDC-ACM-like interface per port, each with its tty below it.
Plugged add_usb_device(Testbed& bed, NodeNames& names, const std::string& usb_port,
                       const UsbIdentity& id, const std::vector<std::string>& tty_names,
                       const MakeTty& make_tty) {
  Plugged device;
  device.usb_port = usb_port;
  device.devnum = names.devnum++;
  auto path = std::string(usb_root) + usb_port;
  device.devices.push_back(bed.add_device("usb", path, "",
                                          {{"idVendor", id.vendor},
                                           {"idProduct", id.model},
                                           {"busnum", "1"},
                                           {"devnum", std::to_string(device.devnum)}},
                                          {{"DEVTYPE", "usb_device"}}));
  for (std::size_t i = 0; i < tty_names.size(); ++i) {
    auto interface = bed.add_device("usb", fmt::format("{}/{}:1.{}", path, usb_port, 2 * i), "", {},
                                    {{"DEVTYPE", "usb_interface"}});
    device.devices.push_back(interface);
    device.ports.push_back(make_tty(tty_names[i], interface));
    device.devices.push_back(device.ports.back().syspath);
  }
  // Identity only once every port has its node and ioctl handler.
  for (const auto& tty : device.ports) {
    identify(bed, tty, "usb", id);
  }
  return device;
}

Plugged add_usb_serial(Testbed& bed, NodeNames& names, const std::string& usb_port,
                       const UsbIdentity& id, int port_count, const std::string& prefix,
                       int& next_index) {
  std::vector<std::string> tty_names;
  for (int i = 0; i < port_count; ++i) {
    tty_names.push_back(fmt::format("{}{}", prefix, next_index++));
  }
  return add_usb_device(bed, names, usb_port, id, tty_names,
                        [&](const std::string& name, const std::string& interface) {
                          return bed.add_tty(name, interface);
                        });
}

void add_platform_ttys(Testbed& bed, NodeNames& names, int count) {
  if (count <= 0) {
    return;
  }
  auto parent = bed.add_device("platform", "platform/serial8250", "", {}, {});
  for (int i = 0; i < count; ++i) {
    bed.add_tty(fmt::format("ttyS{}", names.serial++), parent);
  }
}

} // namespace

void add_bystanders(Testbed& bed, NodeNames& names, Topology topology, int extra_ttys) {
  switch (topology) {
  case Topology::foreign_vendor:
    add_usb_serial(bed, names, "1-1", {"0403", "00a3"}, 2, "ttyUSB", names.usb);
    add_usb_serial(bed, names, "1-3", {"1fc9", "00a4"}, 2, "ttyUSB", names.usb);
    break;
  case Topology::bad_vendor_id:
    add_usb_serial(bed, names, "1-1", {"1fc9x", "00a3"}, 1, "ttyUSB", names.usb);
    break;
  case Topology::non_usb: {
    auto parent = bed.add_device("pci", "pci0000:00/0000:00:16.3", "", {}, {});
    for (int i = 0; i < 2; ++i) {
      auto tty = bed.add_tty(fmt::format("ttyS{}", names.serial++), parent);
      identify(bed, tty, "pci", {"1fc9", "00a3"});
    }
    break;
  }
  default:
    break;
  }
  add_platform_ttys(bed, names, extra_ttys);
}

Plugged plug_board(Testbed& bed, NodeNames& names, Topology topology) {
  int ports = 0;
  switch (topology) {
  case Topology::two_ports:
  case Topology::bad_vendor_id:
    ports = 2;
    break;
  case Topology::one_port:
    ports = 1;
    break;
  case Topology::three_ports:
    ports = 3;
    break;
  default:
    return {};
  }
  return add_usb_serial(bed, names, std::string(board_usb_port), {"1fc9", "00a3"}, ports, "ttyACM",
                        names.acm);
}

void unplug_board(Testbed& bed, const Plugged& board) {
  for (auto device = board.devices.rbegin(); device != board.devices.rend(); ++device) {
    bed.remove_device(*device);
  }
  for (const auto& tty : board.ports) {
    bed.hang_up(tty);
  }
}

Plugged plug_again(Testbed& bed, NodeNames& names, const Plugged& gone, bool openable) {
  std::vector<std::string> tty_names;
  for (const auto& tty : gone.ports) {
    tty_names.push_back(tty.node.substr(std::string_view("/dev/").size()));
  }
  return add_usb_device(bed, names, gone.usb_port, {"1fc9", "00a3"}, tty_names,
                        [&](const std::string& name, const std::string& interface) {
                          return bed.add_tty_again(name, interface, openable);
                        });
}

} // namespace zelkor::sim
