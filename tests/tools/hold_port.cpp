// Test helper: claims a port through the link layer and holds it, so tests can try a second
// claim against a live holder. Prints "claimed", waits for SIGUSR1, then prints whatever answer
// was pending and whether the port is still exclusive.
#include <sys/ioctl.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "utils/serial.h"
#include "utils/zlkr.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: hold_port KIND TIMEOUT_MS\n", stderr);
    return 2;
  }
  sigset_t wait_for;
  sigemptyset(&wait_for);
  sigaddset(&wait_for, SIGUSR1);
  sigprocmask(SIG_BLOCK, &wait_for, nullptr);

  auto port = zelkor::utils::zlkr::interface(argv[1], std::stoull(argv[2]));
  if (!port) {
    std::printf("%s\n", port.error().c_str());
    return 1;
  }
  std::printf("claimed\n");
  std::fflush(stdout);

  int signal = 0;
  sigwait(&wait_for, &signal);
  int exclusive = 0;
  ioctl(port->fd(), TIOCGEXCL, &exclusive);
  const auto answer = zelkor::utils::serial::read(*port, 0);
  std::printf("pending=%s exclusive=%d\n", answer ? answer->c_str() : "<error>", exclusive);
  return 0;
}
