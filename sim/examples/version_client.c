// Asks the microcontroller for its firmware version using nothing but libudev and POSIX.
#include <fcntl.h>
#include <libudev.h>
#include <poll.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

static int is_board_port(struct udev_device* dev) {
  const char* bus = udev_device_get_property_value(dev, "ID_BUS");
  const char* vendor = udev_device_get_property_value(dev, "ID_VENDOR_ID");
  const char* model = udev_device_get_property_value(dev, "ID_MODEL_ID");
  return bus && vendor && model && !strcmp(bus, "usb") && !strcmp(vendor, "1fc9") &&
         !strcmp(model, "00a3") && udev_device_get_devnode(dev);
}

int main(void) {
  struct udev* udev = udev_new();
  struct udev_enumerate* scan = udev_enumerate_new(udev);
  udev_enumerate_add_match_subsystem(scan, "tty");
  udev_enumerate_scan_devices(scan);
  char node[256] = "";
  int seen = 0;
  struct udev_list_entry* entry;
  udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(scan)) {
    struct udev_device* dev = udev_device_new_from_syspath(udev, udev_list_entry_get_name(entry));
    if (dev && is_board_port(dev) && ++seen == 2) // the terminal port comes second
      snprintf(node, sizeof node, "%s", udev_device_get_devnode(dev));
    udev_device_unref(dev);
  }
  udev_enumerate_unref(scan);
  udev_unref(udev);
  int fd = node[0] ? open(node, O_RDWR | O_NOCTTY) : -1;
  if (fd < 0 || write(fd, "version", 7) != 7) {
    fprintf(stderr, "no terminal port\n");
    return 1;
  }
  char answer[512];
  size_t got = 0;
  struct pollfd ready = {fd, POLLIN, 0};
  while (got < sizeof answer - 1 && poll(&ready, 1, 200) > 0) {
    ssize_t n = read(fd, answer + got, sizeof answer - 1 - got);
    if (n <= 0)
      break;
    got += (size_t)n;
  }
  answer[got] = '\0';
  fputs(answer, stdout);
  close(fd);
  return got > 0 ? 0 : 1;
}
