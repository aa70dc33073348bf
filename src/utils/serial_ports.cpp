// Discovery: the microcontroller's two ports are found by USB identity on every run.
#include <libudev.h>

#include <memory>

#include "utils/chunk.h"
#include "utils/ports.h"
#include "utils/serial.h"

namespace zelkor::utils::serial {
namespace {

struct UdevUnref {
  void operator()(udev* p) const { udev_unref(p); }
  void operator()(udev_enumerate* p) const { udev_enumerate_unref(p); }
  void operator()(udev_device* p) const { udev_device_unref(p); }
};
template <typename T> using UdevPtr = std::unique_ptr<T, UdevUnref>;

std::string_view property(udev_device* device, const char* name) {
  const char* value = udev_device_get_property_value(device, name);
  return value == nullptr ? std::string_view{} : std::string_view{value};
}

// The device node of a tty that belongs to the given USB device, or nothing.
std::optional<std::string> matching_node(udev_device* device, std::uint16_t vendor_id,
                                         std::uint16_t product_id) {
  // The identity first (the enumeration already kept only the ttys on the USB bus): it comes
  // with the properties already read, while the parent lookup walks sysfs.
  const auto vendor = ports::parse_usb_id(property(device, "ID_VENDOR_ID"));
  const auto product = ports::parse_usb_id(property(device, "ID_MODEL_ID"));
  if (vendor != vendor_id || product != product_id) {
    return std::nullopt;
  }
  const char* node = udev_device_get_devnode(device);
  if (udev_device_get_parent(device) == nullptr || node == nullptr || !chunk::is_utf8(node)) {
    return std::nullopt;
  }
  return std::string{node};
}

// Calls `take(device, node)` for each matching tty device, in enumeration order; false when
// udev could not be asked.
template <typename Take>
bool for_each_match(std::uint16_t vendor_id, std::uint16_t product_id, Take take) {
  const UdevPtr<udev> context{udev_new()};
  if (!context) {
    return false;
  }
  const UdevPtr<udev_enumerate> enumerate{udev_enumerate_new(context.get())};
  // Only ttys on the USB bus can match ("usb" exactly: the pattern has no wildcard), and the
  // enumeration keeps its order when it leaves the others out: letting it do so saves reading
  // every other tty twice over, which on a machine with many ttys is most of a run's time.
  if (!enumerate || udev_enumerate_add_match_subsystem(enumerate.get(), "tty") < 0 ||
      udev_enumerate_add_match_property(enumerate.get(), "ID_BUS", "usb") < 0 ||
      udev_enumerate_scan_devices(enumerate.get()) < 0) {
    return false;
  }
  udev_list_entry* entry = nullptr;
  udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate.get())) {
    const UdevPtr<udev_device> device{
        udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(entry))};
    if (device) {
      if (auto node = matching_node(device.get(), vendor_id, product_id)) {
        take(device.get(), std::move(*node));
      }
    }
  }
  return true;
}

std::string sysattr(udev_device* device, const char* name) {
  const char* value = device == nullptr ? nullptr : udev_device_get_sysattr_value(device, name);
  return value == nullptr ? std::string{} : std::string{value};
}

} // namespace

// When udev cannot be asked at all, no port can be trusted: that reads as no match.
std::expected<PortList, std::string> get_ports(std::uint16_t vendor_id, std::uint16_t product_id) {
  std::vector<std::string> nodes;
  (void)for_each_match(vendor_id, product_id,
                       [&](udev_device*, std::string node) { nodes.push_back(std::move(node)); });
  return ports::judge_count(std::move(nodes));
}

std::optional<std::vector<PortIdentity>> find_ports(std::uint16_t vendor_id,
                                                    std::uint16_t product_id) {
  std::vector<PortIdentity> found;
  const bool asked =
      for_each_match(vendor_id, product_id, [&](udev_device* device, std::string node) {
        // Owned by `device`: not to be unreferenced here.
        udev_device* usb =
            udev_device_get_parent_with_subsystem_devtype(device, "usb", "usb_device");
        found.push_back({std::move(node), sysattr(usb, "busnum"), sysattr(usb, "devnum")});
      });
  if (!asked) {
    return std::nullopt;
  }
  return found;
}

PortList nodes_of(const std::vector<PortIdentity>& ports) {
  PortList nodes;
  for (const auto& port : ports) {
    nodes.push_back(port.node);
  }
  return nodes;
}

} // namespace zelkor::utils::serial
