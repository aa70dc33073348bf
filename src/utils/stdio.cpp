#include "utils/stdio.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <initializer_list>

namespace zelkor::utils::stdio {

bool occupy_closed() {
  bool stdout_closed = false;
  for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) {
      continue;
    }
    stdout_closed = stdout_closed || fd == STDOUT_FILENO;
    // The lowest free number is `fd` itself, as every lower one is open by now. Never closed:
    // it holds the number for the whole run.
    const int null = ::open("/dev/null", (fd == STDIN_FILENO ? O_RDONLY : O_WRONLY) | O_NOCTTY);
    if (null != fd && null >= 0) {
      ::dup2(null, fd);
      ::close(null);
    }
  }
  return stdout_closed;
}

} // namespace zelkor::utils::stdio
