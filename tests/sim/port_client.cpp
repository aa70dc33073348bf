// Uses a port the way a program under the board would, and reports what it saw.
//   port_client talk NODE TEXT GAP_MS [MAX]  write TEXT, print each read as [bytes] until GAP_MS
//                                            quiet or MAX reads
//   port_client hold NODE MS            set 9600 8N1 raw, wait for a hang-up, report the read
//   port_client excl NODE               TIOCEXCL / TIOCNXCL with the flag read back
//   port_client fill NODE               write without a reader until the port refuses more

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <string_view>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

int open_port(const char* node) {
  int fd = open(node, O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    std::printf("open failed: %s\n", std::strerror(errno));
    std::exit(1);
  }
  return fd;
}

void make_raw(int fd) {
  termios settings{};
  tcgetattr(fd, &settings);
  cfmakeraw(&settings);
  settings.c_cflag |= CLOCAL | CREAD;
  cfsetspeed(&settings, B9600);
  tcsetattr(fd, TCSANOW, &settings);
}

int talk(const char* node, std::string_view text, int gap_ms, int max_reads) {
  int fd = open_port(node);
  make_raw(fd);
  std::printf("isatty=%d\n", isatty(fd));
  if (!text.empty() && write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
    std::printf("write failed\n");
  }
  pollfd ready{fd, POLLIN, 0};
  char buffer[4096];
  for (int reads = 0;
       reads < max_reads && poll(&ready, 1, gap_ms) > 0 && !(ready.revents & POLLHUP); ++reads) {
    auto count = read(fd, buffer, sizeof buffer);
    if (count <= 0) {
      break;
    }
    std::printf("[%.*s]\n", static_cast<int>(count), buffer);
  }
  close(fd);
  return 0;
}

int hold(const char* node, int max_ms) {
  int fd = open_port(node);
  make_raw(fd);
  std::printf("held\n");
  std::fflush(stdout);
  pollfd ready{fd, 0, 0};
  if (poll(&ready, 1, max_ms) > 0 && (ready.revents & POLLHUP)) {
    std::printf("hangup\n");
  }
  char byte;
  auto count = read(fd, &byte, 1);
  std::printf("read=%zd %s\n", count, count < 0 ? strerrorname_np(errno) : "");
  close(fd);
  return 0;
}

int excl(const char* node) {
  int fd = open_port(node);
  int flag = -1;
  int taken = ioctl(fd, TIOCEXCL);
  ioctl(fd, TIOCGEXCL, &flag);
  std::printf("TIOCEXCL=%d flag=%d\n", taken, flag);
  int released = ioctl(fd, TIOCNXCL);
  ioctl(fd, TIOCGEXCL, &flag);
  std::printf("TIOCNXCL=%d flag=%d\n", released, flag);
  close(fd);
  return 0;
}

int fill(const char* node) {
  int fd = open_port(node);
  make_raw(fd);
  std::string block(1024, 'x');
  long total = 0;
  pollfd ready{fd, POLLOUT, 0};
  while (total < (1 << 20)) {
    auto count = write(fd, block.data(), block.size());
    if (count > 0) {
      total += count;
    } else if (errno == EAGAIN && poll(&ready, 1, 200) == 0) {
      std::printf("blocked\n");
      break;
    }
  }
  std::printf("wrote=%ld\n", total);
  close(fd);
  return 0;
}

} // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  std::string_view mode = argc > 2 ? argv[1] : "";
  if (mode == "talk" && (argc == 5 || argc == 6)) {
    return talk(argv[2], argv[3], std::atoi(argv[4]), argc == 6 ? std::atoi(argv[5]) : 1 << 30);
  }
  if (mode == "hold" && argc == 4) {
    return hold(argv[2], std::atoi(argv[3]));
  }
  if (mode == "excl") {
    return excl(argv[2]);
  }
  if (mode == "fill") {
    return fill(argv[2]);
  }
  std::fprintf(stderr, "usage: port_client talk|hold|excl|fill NODE ...\n");
  return 2;
}
