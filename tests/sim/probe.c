// Prints every tty device as a preloaded program sees it: node, parent, USB identity, isatty.
#include <fcntl.h>
#include <libudev.h>
#include <stdio.h>
#include <unistd.h>

static const char* or_dash(const char* text) {
  return text ? text : "-";
}

int main(void) {
  struct udev* udev = udev_new();
  struct udev_enumerate* scan = udev_enumerate_new(udev);
  udev_enumerate_add_match_subsystem(scan, "tty");
  udev_enumerate_scan_devices(scan);
  struct udev_list_entry* entry;
  udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(scan)) {
    struct udev_device* dev = udev_device_new_from_syspath(udev, udev_list_entry_get_name(entry));
    const char* node = udev_device_get_devnode(dev);
    int tty = -1;
    if (node) {
      int fd = open(node, O_RDWR | O_NOCTTY | O_NONBLOCK);
      tty = fd >= 0 ? isatty(fd) : -1;
      if (fd >= 0)
        close(fd);
    }
    printf("%s parent=%d bus=%s vendor=%s model=%s tty=%d\n", or_dash(node),
           udev_device_get_parent(dev) != NULL,
           or_dash(udev_device_get_property_value(dev, "ID_BUS")),
           or_dash(udev_device_get_property_value(dev, "ID_VENDOR_ID")),
           or_dash(udev_device_get_property_value(dev, "ID_MODEL_ID")), tty);
    udev_device_unref(dev);
  }
  udev_enumerate_unref(scan);
  udev_unref(udev);
  return 0;
}
