#pragma once
// Ctrl-C support shared by the listening loops: a SIGINT handler that writes to a pipe, and a
// watcher thread named "ctrl-c" that turns each byte into a cleared stop flag and a wake-up.

#include <signal.h>

#include <array>
#include <atomic>
#include <chrono>
#include <thread>

namespace zelkor::utils::ctrlc {

// For its lifetime, SIGINT clears the stop flag and makes wake_fd() readable, so a loop can
// poll its data and Ctrl-C together; a second SIGINT ends the process at once, as SIGINT does by
// default. Calls blocked in the thread that takes the signal return (EINTR) rather than
// restart, so a write that waits on a stalled reader can give up. If the handler cannot be
// installed the process stops with "Error setting Ctrl-C handler." on standard error. At most one
// may exist at a time.
class Watch {
public:
  Watch();
  Watch(const Watch&) = delete;
  Watch& operator=(const Watch&) = delete;
  ~Watch();

  // True until Ctrl-C was seen.
  [[nodiscard]] bool running() const { return running_.load(); }
  // Readable once Ctrl-C was seen; never read it, only poll it.
  [[nodiscard]] int wake_fd() const { return wake_[0]; }
  // Sleeps until `instant`, to the nanosecond the system allows, or until Ctrl-C: false then.
  [[nodiscard]] bool sleep_until(std::chrono::steady_clock::time_point instant) const;

private:
  void watch();

  std::atomic<bool> running_{true};
  std::array<int, 2> signal_pipe_ = {-1, -1};
  std::array<int, 2> wake_ = {-1, -1};
  struct sigaction previous_ {};
  std::thread watcher_;
};

} // namespace zelkor::utils::ctrlc
