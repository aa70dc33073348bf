#include "restart.h"

#include <utility>

namespace zelkor::sim {

Restarter::Restarter(BootloaderOptions options, Steps steps)
    : options_(options), steps_(std::move(steps)),
      thread_([this](const std::stop_token& stop) { run(stop); }) {}

Restarter::~Restarter() {
  thread_.request_stop();
  thread_.join();
}

void Restarter::request() {
  if (options_.ports == BootloaderOptions::Ports::stay) {
    return;
  }
  {
    std::lock_guard lock(mutex_);
    requested_ = true;
  }
  changed_.notify_all();
}

void Restarter::run(const std::stop_token& stop) {
  for (;;) {
    {
      std::unique_lock lock(mutex_);
      if (!changed_.wait(lock, stop, [this] { return requested_; })) {
        return;
      }
      requested_ = false;
    }
    if (!pause(stop, options_.gone_after)) {
      return;
    }
    steps_.go_away();
    if (options_.ports == BootloaderOptions::Ports::never_return) {
      continue;
    }
    if (!pause(stop, options_.back_after)) {
      return;
    }
    steps_.come_back();
    if (options_.unopenable_for.count() > 0) {
      if (!pause(stop, options_.unopenable_for)) {
        return;
      }
      steps_.make_openable();
    }
  }
}

bool Restarter::pause(const std::stop_token& stop, std::chrono::milliseconds length) {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, stop, length, [] { return false; });
  return !stop.stop_requested();
}

} // namespace zelkor::sim
