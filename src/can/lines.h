#pragma once
// A dump's received bytes turned into its lines: frames cut from the stream, the identifier
// filter, and the time since the previous frame. The instant of each read is given, so the
// rules hold whatever the clock does and can be tested without waiting.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "can/dump_text.h"
#include "can/frames.h"
#include "can/log_text.h"

namespace zelkor::can::listen {

using Clock = std::chrono::steady_clock;

class Lines {
public:
  // `start`: when the header was written, from which the first frame's delta counts. The log
  // layout names `interface`; with a `count`, frames past that many written ones are dropped.
  Lines(std::vector<std::string> filter, Layout layout, Clock::time_point start,
        std::string interface = std::string(log::default_interface),
        std::optional<std::uint64_t> count = std::nullopt);

  // The lines of the frames that `bytes`, read at `now` (`wall` on the wall clock, which the log
  // layout writes), completes (possibly none); valid until the next call.
  std::string_view take(std::string_view bytes, Clock::time_point now, log::WallTime wall = {});

  // Frames seen so far, kept or not.
  [[nodiscard]] std::uint64_t received() const { return received_; }
  // The count of written frames was reached.
  [[nodiscard]] bool counted_out() const { return count_ && written_ >= *count_; }
  // Kept frames that the log layout cannot carry.
  [[nodiscard]] std::uint64_t unwritable() const { return unwritable_; }

private:
  void add(std::string_view received, Clock::time_point now);

  FrameSplitter splitter_;
  std::vector<std::string> filter_;
  Layout layout_;
  Clock::time_point previous_frame_;
  std::string interface_;
  std::string log_start_; // the log line's time and interface, for the frames of this read
  std::optional<std::uint64_t> count_;
  std::string text_;
  std::uint64_t received_ = 0;
  std::uint64_t written_ = 0;
  std::uint64_t unwritable_ = 0;
};

} // namespace zelkor::can::listen
