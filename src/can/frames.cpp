#include "can/frames.h"

#include "utils/chunk.h"

namespace zelkor::can::listen {

void FrameSplitter::keep(std::string_view part) {
  if (overlong_) {
    return;
  }
  if (pending_.size() + part.size() > max_frame_text) {
    overlong_ = true;
    pending_.clear();
    return;
  }
  pending_.append(part);
}

std::optional<std::string_view> FrameSplitter::finish(std::string_view tail) {
  if (pending_.empty() && !overlong_) {
    if (tail.empty() || tail.size() > max_frame_text) {
      return std::nullopt;
    }
    return tail; // the common case: the whole text is in this read
  }
  const bool whole = !overlong_ && pending_.size() + tail.size() <= max_frame_text;
  finished_ = std::move(pending_);
  finished_.append(tail);
  pending_.clear();
  overlong_ = false;
  if (!whole) {
    return std::nullopt;
  }
  return finished_;
}

std::optional<Frame> decode(std::string_view text) {
  const std::size_t first_space = text.find(' ');
  if (first_space == std::string_view::npos || text.find('\0') != std::string_view::npos ||
      !utils::chunk::is_utf8(text)) {
    return std::nullopt;
  }
  const std::string_view rest = text.substr(first_space + 1);
  return Frame{.id = text.substr(0, first_space), .data = rest.substr(0, rest.find(' '))};
}

} // namespace zelkor::can::listen
