#pragma once
// When each frame of a replay goes out: at the start plus its time in the log since the first
// frame, on a monotonic clock. Every frame's instant is counted from the start, never from the
// frame before, so the time an exchange takes never adds up over a long log.

#include <chrono>
#include <cstddef>
#include <span>

namespace zelkor::can::replay {

class Schedule {
public:
  using Clock = std::chrono::steady_clock;

  // `times` are the frames' times in the log, in the order they go out; they stay the caller's.
  // With `back_to_back`, every frame is due at once.
  Schedule(std::span<const std::chrono::microseconds> times, bool back_to_back)
      : times_(times), back_to_back_(back_to_back) {}

  // The instant frame `index` is due when the first one went at `start`. A frame whose log
  // time is earlier than the first one's is due at the start.
  [[nodiscard]] Clock::time_point due(std::size_t index, Clock::time_point start) const;

  // How long to wait at `now` for an instant `due`: nothing once it has passed, so a frame that
  // fell due during the previous exchange goes right after it.
  [[nodiscard]] static Clock::duration wait(Clock::time_point due, Clock::time_point now);

private:
  std::span<const std::chrono::microseconds> times_;
  bool back_to_back_;
};

} // namespace zelkor::can::replay
