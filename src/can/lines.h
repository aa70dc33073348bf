#pragma once
// A dump's received bytes turned into its lines: frames cut from the stream, the identifier
// filter, and the time since the previous frame. The instant of each read is given, so the
// rules hold whatever the clock does and can be tested without waiting.

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "can/dump_text.h"
#include "can/frames.h"

namespace zelkor::can::listen {

using Clock = std::chrono::steady_clock;

class Lines {
public:
  // `start`: when the header was written, from which the first frame's delta counts.
  Lines(std::vector<std::string> filter, Layout layout, Clock::time_point start);

  // The lines of the frames that `bytes`, read at `now`, completes (possibly none); valid until
  // the next call.
  std::string_view take(std::string_view bytes, Clock::time_point now);

private:
  void add(std::string_view received, Clock::time_point now);

  FrameSplitter splitter_;
  std::vector<std::string> filter_;
  Layout layout_;
  Clock::time_point previous_frame_;
  std::string text_;
};

} // namespace zelkor::can::listen
