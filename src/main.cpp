#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <iostream>
#include <span>

#include "app.h"
#include "utils/output.h"
#include "utils/stdio.h"

int main(int argc, char** argv) {
  // Before anything is opened: no port or file may take the number of a closed standard
  // descriptor. Output for a closed standard output goes nowhere and fails as before (EBADF).
  const bool stdout_closed = zelkor::utils::stdio::occupy_closed();
  // A reader that went away must show up as a failed write (EPIPE), so the run can release its
  // port and end with status 1 instead of being killed half-way.
  (void)std::signal(SIGPIPE, SIG_IGN);
  zelkor::utils::output::Sink out(stdout_closed ? -1 : STDOUT_FILENO);
  const auto status = zelkor::run(
      std::span<const char* const>(argv, static_cast<std::size_t>(argc)), out, std::cerr);
  std::cerr.flush();
  std::exit(status);
}
