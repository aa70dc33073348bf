/* The least one exchange needs: find the terminal port through libudev, claim it, write the
 * command ("kind" unless another is given), read until 25 ms of silence, print, release.
 * zelkor's own overhead is measured against this, under the same simulated board, so it does
 * the work every claim must do and nothing more: only ttys with a parent device count, and the
 * claim locks the port, reads its settings back, drops stale input and takes exclusive use,
 * which it gives up before closing (under the simulated board several of those steps are
 * round trips to its thread: a floor without them would count required work as overhead). It
 * enumerates the plain way, every tty read in full, which zelkor improves on among many ttys.
 *   baseline_client [COMMAND]
 *   baseline_client --version    prints a version line: the least any run of a program linked
 *                                like zelkor costs, the floor of its start-up */
#include <fcntl.h>
#include <libudev.h>
#include <poll.h>
#include <stdio.h>
#include <string.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

static int find_terminal_port(char* path, size_t size) {
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
        udev_device_get_parent(d) && ++found == 2) {
      snprintf(path, size, "%s", node);
    }
    udev_device_unref(d);
  }
  udev_enumerate_unref(e);
  udev_unref(udev);
  return found == 2 ? 0 : -1;
}

int main(int argc, char** argv) {
  const char* command = argc > 1 ? argv[1] : "kind";
  if (!strcmp(command, "--version")) {
    puts("Zelkor 1.0.1");
    return 0;
  }
  char path[256];
  if (find_terminal_port(path, sizeof path) != 0) {
    return 1;
  }
  int fd = open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0 || flock(fd, LOCK_EX | LOCK_NB) != 0) {
    return 1;
  }
  struct termios t, applied;
  tcgetattr(fd, &t);
  cfmakeraw(&t);
  t.c_cflag |= CREAD | CLOCAL;
  cfsetspeed(&t, B9600);
  if (tcsetattr(fd, TCSANOW, &t) != 0 || tcgetattr(fd, &applied) != 0 ||
      tcflush(fd, TCIFLUSH) != 0 || ioctl(fd, TIOCEXCL) != 0) {
    return 1;
  }
  size_t command_size = strlen(command);
  if (write(fd, command, command_size) != (ssize_t)command_size) {
    return 1;
  }
  char answer[4096];
  size_t length = 0;
  struct pollfd p = {fd, POLLIN, 0};
  while (length < sizeof answer && poll(&p, 1, 25) == 1) {
    ssize_t n = read(fd, answer + length, sizeof answer - length);
    if (n <= 0) {
      break;
    }
    length += (size_t)n;
  }
  fwrite(answer, 1, length, stdout);
  ioctl(fd, TIOCNXCL);
  close(fd);
  return 0;
}
