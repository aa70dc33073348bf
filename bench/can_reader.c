/* The least a CAN dump needs: find the CAN port through libudev, claim and configure it, then
 * read large chunks, cut them into frame texts at line ends and write each chunk's frames as
 * CSV lines in one write. `zelkor can -n dump -c` is measured against this, under the same
 * simulated board. Ends on Ctrl-C (the default action) or when the port fails. */
#include <fcntl.h>
#include <libudev.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

enum { read_size = 16 * 1024, max_text = 256 };

static int find_can_port(char* path, size_t size) {
  struct udev* udev = udev_new();
  struct udev_enumerate* e = udev_enumerate_new(udev);
  udev_enumerate_add_match_subsystem(e, "tty");
  udev_enumerate_scan_devices(e);
  int found = 0;
  struct udev_list_entry* entry;
  udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(e)) {
    struct udev_device* d = udev_device_new_from_syspath(udev, udev_list_entry_get_name(entry));
    const char* vendor = udev_device_get_property_value(d, "ID_VENDOR_ID");
    const char* model = udev_device_get_property_value(d, "ID_MODEL_ID");
    const char* node = udev_device_get_devnode(d);
    if (vendor && model && node && !strcmp(vendor, "1fc9") && !strcmp(model, "00a3") &&
        ++found == 1) {
      snprintf(path, size, "%s", node);
    }
    udev_device_unref(d);
  }
  udev_enumerate_unref(e);
  udev_unref(udev);
  return found == 2 ? 0 : -1;
}

static int write_all(const char* bytes, size_t size) {
  while (size > 0) {
    ssize_t n = write(STDOUT_FILENO, bytes, size);
    if (n < 0) {
      return -1;
    }
    bytes += n;
    size -= (size_t)n;
  }
  return 0;
}

/* Appends "id,len,data\n" for the frame text; texts without a space are skipped. */
static size_t csv_line(const char* text, size_t size, char* out) {
  const char* space = memchr(text, ' ', size);
  if (space == NULL) {
    return 0;
  }
  const char* data = space + 1;
  const char* end = memchr(data, ' ', (size_t)(text + size - data));
  size_t data_size = (size_t)((end ? end : text + size) - data);
  int n = sprintf(out, "%.*s,%zu,", (int)(space - text), text, data_size / 2);
  memcpy(out + n, data, data_size);
  out[(size_t)n + data_size] = '\n';
  return (size_t)n + data_size + 1;
}

int main(void) {
  /* A background job of a script starts with Ctrl-C ignored; it must end this reader. */
  signal(SIGINT, SIG_DFL);
  char path[256];
  if (find_can_port(path, sizeof path) != 0) {
    return 1;
  }
  int fd = open(path, O_RDWR | O_NOCTTY);
  if (fd < 0 || flock(fd, LOCK_EX | LOCK_NB) != 0) {
    return 1;
  }
  struct termios t;
  tcgetattr(fd, &t);
  cfmakeraw(&t);
  cfsetspeed(&t, B9600);
  tcsetattr(fd, TCSANOW, &t);
  tcflush(fd, TCIFLUSH);
  if (write_all("id,len,data\n", 12) != 0) {
    return 1;
  }
  static char buffer[read_size];
  static char lines[read_size * 2 + 2 * max_text];
  char text[max_text];
  size_t text_size = 0;
  for (;;) {
    ssize_t count = read(fd, buffer, sizeof buffer);
    if (count <= 0) {
      return 1;
    }
    size_t out = 0;
    for (ssize_t i = 0; i < count; ++i) {
      char c = buffer[i];
      if (c == '\r' || c == '\n') {
        if (text_size > 0) {
          out += csv_line(text, text_size, lines + out);
        }
        text_size = 0;
      } else if (text_size < max_text) {
        text[text_size++] = c;
      }
    }
    if (out > 0 && write_all(lines, out) != 0) {
      return 1;
    }
  }
}
