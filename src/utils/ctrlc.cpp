#include "utils/ctrlc.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace zelkor::utils::ctrlc {
namespace {

// The state a signal handler can reach: where to write the Ctrl-C byte, and how many came.
std::atomic<int> signal_write_fd{-1};
std::atomic<int> interrupts{0};

extern "C" void on_sigint(int /*signal*/) {
  if (interrupts.fetch_add(1) > 0) {
    // A second Ctrl-C: whatever the first is still waiting for, the user wants out now.
    ::signal(SIGINT, SIG_DFL);
    ::raise(SIGINT);
    return;
  }
  const int saved_errno = errno;
  const int fd = signal_write_fd.load();
  if (fd >= 0) {
    const char byte = 1;
    [[maybe_unused]] const auto ignored = ::write(fd, &byte, 1);
  }
  errno = saved_errno;
}

[[noreturn]] void fatal() {
  (void)std::fputs("Error setting Ctrl-C handler.\n", stderr);
  std::exit(EXIT_FAILURE);
}

// Runs `start` with SIGINT blocked, so a thread it starts never takes the signal itself.
template <typename F> void with_sigint_blocked(F&& start) {
  sigset_t block;
  sigset_t previous;
  sigemptyset(&block);
  sigaddset(&block, SIGINT);
  pthread_sigmask(SIG_BLOCK, &block, &previous);
  start();
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

} // namespace

Watch::Watch() {
  if (::pipe2(signal_pipe_.data(), O_CLOEXEC) != 0 ||
      ::pipe2(wake_.data(), O_CLOEXEC | O_NONBLOCK) != 0 ||
      ::fcntl(signal_pipe_[1], F_SETFL, O_NONBLOCK) != 0) {
    fatal();
  }
  with_sigint_blocked([this] {
    watcher_ = std::thread(&Watch::watch, this);
    pthread_setname_np(watcher_.native_handle(), "ctrl-c");
  });
  signal_write_fd.store(signal_pipe_[1]);
  interrupts.store(0);
  struct sigaction action {};
  action.sa_handler = on_sigint;
  // Not restarted: a write blocked on a stalled reader returns, so the loop sees Ctrl-C.
  action.sa_flags = 0;
  sigemptyset(&action.sa_mask);
  if (::sigaction(SIGINT, &action, &previous_) != 0) {
    // The watcher must not outlive this object half-built while the process exits.
    signal_write_fd.store(-1);
    ::close(signal_pipe_[1]);
    watcher_.join();
    fatal();
  }
}

Watch::~Watch() {
  ::sigaction(SIGINT, &previous_, nullptr);
  signal_write_fd.store(-1);
  ::close(signal_pipe_[1]); // the watcher reads end of file and returns
  watcher_.join();
  for (const int fd : {signal_pipe_[0], wake_[0], wake_[1]}) {
    ::close(fd);
  }
}

bool Watch::sleep_until(std::chrono::steady_clock::time_point instant) const {
  while (running()) {
    // Counted afresh from the instant each time, so a signal's wake-up does not stretch it.
    const auto left = instant - std::chrono::steady_clock::now();
    if (left <= std::chrono::steady_clock::duration::zero()) {
      return true;
    }
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(left);
    const timespec timeout{
        .tv_sec = static_cast<time_t>(seconds.count()),
        .tv_nsec = static_cast<long>(
            std::chrono::duration_cast<std::chrono::nanoseconds>(left - seconds).count())};
    pollfd wake{.fd = wake_[0], .events = POLLIN, .revents = 0};
    ::ppoll(&wake, 1, &timeout, nullptr);
  }
  return false;
}

void Watch::watch() {
  char byte = 0;
  for (;;) {
    const ssize_t count = ::read(signal_pipe_[0], &byte, 1);
    if (count == 0) {
      return;
    }
    if (count < 0 && errno == EINTR) {
      continue;
    }
    if (count < 0) {
      // Without a working pipe Ctrl-C could never be seen again: stop rather than hang.
      (void)std::fputs("Critical system error while waiting for Ctrl-C\n", stderr);
    }
    running_.store(false);
    [[maybe_unused]] const auto ignored = ::write(wake_[1], &byte, 1);
    if (count < 0) {
      return;
    }
  }
}

} // namespace zelkor::utils::ctrlc
