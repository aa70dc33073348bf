#include "can/lines.h"

#include <utility>

namespace zelkor::can::listen {
namespace {

// The layout prints a float's shortest text ("0.5", "1.5"), so the delta is one. The whole
// seconds are counted in, or a delta of 1.5 s would read 0.5.
float seconds_between(Clock::time_point from, Clock::time_point to) {
  const auto elapsed = to - from;
  const auto whole = std::chrono::floor<std::chrono::seconds>(elapsed);
  const auto nanos = std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed - whole);
  return static_cast<float>(whole.count()) + static_cast<float>(nanos.count()) / 1e9F;
}

} // namespace

Lines::Lines(std::vector<std::string> filter, Layout layout, Clock::time_point start,
             std::string interface, std::optional<std::uint64_t> count)
    : filter_(std::move(filter)), layout_(layout), previous_frame_(start),
      interface_(std::move(interface)), count_(count) {}

std::string_view Lines::take(std::string_view bytes, Clock::time_point now, log::WallTime wall) {
  text_.clear();
  if (layout_.log) {
    log_start_ = log::line_start(wall, interface_); // one instant for every frame of the read
  }
  splitter_.feed(bytes, [&](std::string_view text) { add(text, now); });
  return text_;
}

void Lines::add(std::string_view received, Clock::time_point now) {
  const auto frame = decode(received);
  if (!frame || counted_out()) {
    return; // noise on the line is no frame: it neither shows nor restarts the delta
  }
  ++received_;
  if (layout_.log) {
    if (!keeps(filter_, frame->id)) {
      return;
    }
    ++(log::append_line(text_, *frame, log_start_) ? written_ : unwritable_);
    return;
  }
  // The delta is the time since the previous frame on the bus, kept or not: the filter chooses
  // which lines show, not what the delta measures.
  const float delta = seconds_between(previous_frame_, now);
  previous_frame_ = now;
  if (keeps(filter_, frame->id)) {
    append_line(text_, *frame, delta, layout_);
    ++written_;
  }
}

} // namespace zelkor::can::listen
