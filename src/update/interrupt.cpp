#include "update/interrupt.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace zelkor::update {
namespace {

// What the signal handler can reach: how many Ctrl-C came, and where the second one writes.
std::atomic<int> presses{0};
std::atomic<int> wake_write_fd{-1};

extern "C" void on_sigint_during_update(int /*signal*/) {
  const int saved_errno = errno;
  if (presses.fetch_add(1) == 0) {
    [[maybe_unused]] const auto ignored =
        ::write(STDERR_FILENO, interrupt_warning.data(), interrupt_warning.size());
  } else if (const int fd = wake_write_fd.load(); fd >= 0) {
    const char byte = 1;
    [[maybe_unused]] const auto ignored = ::write(fd, &byte, 1);
  }
  errno = saved_errno;
}

} // namespace

TwoStageCtrlC::TwoStageCtrlC() {
  presses.store(0);
  if (::pipe2(wake_.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
    (void)std::fputs("Error setting Ctrl-C handler.\n", stderr);
    std::exit(EXIT_FAILURE);
  }
  wake_write_fd.store(wake_[1]);
  struct sigaction action {};
  action.sa_handler = on_sigint_during_update;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  if (::sigaction(SIGINT, &action, &previous_) != 0) {
    (void)std::fputs("Error setting Ctrl-C handler.\n", stderr);
    std::exit(EXIT_FAILURE);
  }
}

TwoStageCtrlC::~TwoStageCtrlC() {
  ::sigaction(SIGINT, &previous_, nullptr);
  wake_write_fd.store(-1);
  for (const int fd : wake_) {
    ::close(fd);
  }
}

bool TwoStageCtrlC::stop_requested() const {
  return presses.load() >= 2;
}

} // namespace zelkor::update
