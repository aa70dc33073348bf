// When each frame of a replay is due: counted from the start, never from the frame before.
#include <gtest/gtest.h>

#include <vector>

#include "can/schedule.h"

namespace zelkor::can::replay {
namespace {

using namespace std::chrono_literals;
using std::chrono::microseconds;

TEST(ReplaySchedule, EachFrameIsDueAtItsOffsetFromTheFirst) {
  const std::vector<microseconds> times{1765000000'000000us, 1765000000'005000us,
                                        1765000000'005000us, 1765000001'000001us,
                                        1764999999'000000us};
  const Schedule::Clock::time_point start{100s};
  const struct {
    bool back_to_back;
    std::vector<Schedule::Clock::duration> offsets;
  } cases[] = {
      // An earlier time than the first one's (logs merged out of order) is due at once.
      {false, {0us, 5ms, 5ms, 1000001us, 0us}},
      {true, {0us, 0us, 0us, 0us, 0us}},
  };
  for (const auto& c : cases) {
    const Schedule schedule(times, c.back_to_back);
    for (std::size_t i = 0; i < times.size(); ++i) {
      EXPECT_EQ(schedule.due(i, start) - start, c.offsets[i]) << i << " " << c.back_to_back;
    }
  }
}

TEST(ReplaySchedule, WaitsOnlyUntilTheInstantDue) {
  const Schedule::Clock::time_point due{10s};
  const struct {
    Schedule::Clock::duration now;
    Schedule::Clock::duration wait;
  } cases[] = {
      {9s, 1s},
      {10s - 1ns, 1ns},
      {10s, 0s},
      {11s, 0s}, // late (the previous exchange ran over): right away, not a second later
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Schedule::wait(due, Schedule::Clock::time_point{c.now}), c.wait) << c.now.count();
  }
}

} // namespace
} // namespace zelkor::can::replay
