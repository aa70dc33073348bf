// Runs a program with its standard output on /dev/full, on a pipe whose reader is already gone,
// or on a pipe that nobody reads (its read end stays open in the program itself, unread), to see
// how it takes output that cannot be written:
//   with_stdout full|closed-pipe|unread-pipe PROGRAM [ARGS...]
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <string_view>

namespace {

int output_for(std::string_view where) {
  if (where == "full") {
    return ::open("/dev/full", O_WRONLY | O_CLOEXEC);
  }
  std::array<int, 2> ends{};
  if (where == "closed-pipe" && ::pipe2(ends.data(), O_CLOEXEC) == 0) {
    ::close(ends[0]);
    return ends[1];
  }
  if (where == "unread-pipe" && ::pipe(ends.data()) == 0) {
    return ends[1]; // the read end is left open across exec
  }
  return -1;
}

} // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    (void)std::fputs("usage: with_stdout full|closed-pipe|unread-pipe PROGRAM [ARGS...]\n", stderr);
    return 2;
  }
  const int fd = output_for(argv[1]);
  if (fd < 0 || ::dup2(fd, STDOUT_FILENO) < 0) {
    std::perror("with_stdout");
    return 2;
  }
  ::close(fd);
  ::execvp(argv[2], argv + 2);
  std::perror("with_stdout");
  return 127;
}
