#pragma once
// Paces the board's restart into its bootloader on a thread of its own: the port thread that
// received the command must not wait for its own port to stop.

#include "bootloader.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <stop_token>
#include <thread>

namespace zelkor::sim {

class Restarter {
public:
  struct Steps {
    std::function<void()> go_away;       // the firmware's device and ports leave
    std::function<void()> come_back;     // the bootloader's device and ports arrive
    std::function<void()> make_openable; // the bootloader's nodes can be opened from now on
  };

  Restarter(BootloaderOptions options, Steps steps);
  ~Restarter(); // abandons a restart under way
  Restarter(const Restarter&) = delete;
  Restarter& operator=(const Restarter&) = delete;

  // Starts a restart; returns at once, from any thread.
  void request();

private:
  void run(const std::stop_token& stop);
  // False when the board is going away instead.
  bool pause(const std::stop_token& stop, std::chrono::milliseconds length);

  BootloaderOptions options_;
  Steps steps_;
  std::mutex mutex_;
  std::condition_variable_any changed_;
  bool requested_ = false;
  std::jthread thread_;
};

} // namespace zelkor::sim
