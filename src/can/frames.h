#pragma once
// Received frame texts out of the CAN port's byte stream. The controller ends each frame text
// with a line end, but a read returns whatever has arrived: several frames, or part of one.
// Cutting at line ends keeps every frame whatever the reads look like.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zelkor::can::listen {

// No frame text comes near this; a longer run without a line end is noise, not a frame.
inline constexpr std::size_t max_frame_text = 256;

// Cuts a byte stream into texts at CR LF, LF or CR, joining texts split across reads. Empty texts
// and texts longer than max_frame_text are left out.
class FrameSplitter {
public:
  // Calls `on_text(std::string_view)` with each text that `bytes` completes, in order; the views
  // last until the call returns. An unfinished text waits for the next call.
  template <typename OnText> void feed(std::string_view bytes, OnText&& on_text);

private:
  // Adds the start of a text that has no line end yet.
  void keep(std::string_view part);
  // The bytes before a line end, joined to what was kept; nothing when they are no frame text.
  std::optional<std::string_view> finish(std::string_view tail);

  std::string pending_;
  std::string finished_;
  bool overlong_ = false; // the pending text passed max_frame_text: drop it at its line end
  bool after_cr_ = false; // the last byte was CR: an LF next belongs to the same line end
};

// One decoded frame text: the identifier (field 1) and data (field 2), views into the text.
struct Frame {
  std::string_view id;
  std::string_view data;
};

// The frame in `text` (fields split at every space, empty fields kept, further fields ignored),
// or nothing when it cannot be one: fewer than two fields, a zero byte, not UTF-8.
std::optional<Frame> decode(std::string_view text);

template <typename OnText> void FrameSplitter::feed(std::string_view bytes, OnText&& on_text) {
  if (after_cr_ && !bytes.empty()) {
    after_cr_ = false;
    if (bytes.front() == '\n') {
      bytes.remove_prefix(1);
    }
  }
  while (!bytes.empty()) {
    const std::size_t end = bytes.find_first_of("\r\n");
    if (end == std::string_view::npos) {
      keep(bytes);
      return;
    }
    if (auto text = finish(bytes.substr(0, end))) {
      on_text(*text);
    }
    const bool cr = bytes[end] == '\r';
    bytes.remove_prefix(end + 1);
    if (cr && bytes.empty()) {
      after_cr_ = true;
    } else if (cr && bytes.front() == '\n') {
      bytes.remove_prefix(1);
    }
  }
}

} // namespace zelkor::can::listen
