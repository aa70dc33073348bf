#include "can/schedule.h"

#include <algorithm>

namespace zelkor::can::replay {

Schedule::Clock::time_point Schedule::due(std::size_t index, Clock::time_point start) const {
  if (back_to_back_ || times_.empty()) {
    return start;
  }
  const auto offset = std::max(times_[index] - times_.front(), std::chrono::microseconds::zero());
  return start + offset;
}

Schedule::Clock::duration Schedule::wait(Clock::time_point due, Clock::time_point now) {
  return std::max(due - now, Clock::duration::zero());
}

} // namespace zelkor::can::replay
