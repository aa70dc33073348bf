#pragma once
// The lines of a dump: the header, then one line per frame, in columns or as CSV, with the time
// since the previous frame when asked.

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>

#include "can/frames.h"

namespace zelkor::can::listen {

struct Layout {
  bool csv = false;
  bool delta = false;
};

// The header line, line break included.
std::string header(Layout layout);

// Appends the line of `frame` to `lines`; `delta` (seconds) is shown when the layout has it.
void append_line(std::string& lines, Frame frame, float delta, Layout layout);

// `text` right-aligned in `width` characters (not bytes); a longer text is kept whole.
void append_right_aligned(std::string& lines, std::string_view text, std::size_t width);

// The shortest decimal text that reads back as `seconds`, never with an exponent ("1", "0.5").
std::string shortest_decimal(float seconds);

// Whether a frame with identifier `id` is kept: an empty filter keeps all, else the identifier
// must equal one of its texts exactly (no case folding, no numeric comparison).
bool keeps(std::span<const std::string> filter, std::string_view id);

// The messages for an output file that cannot be opened or written to, naming the path (bytes
// that are not UTF-8 become U+FFFD) and the cause.
std::string cannot_open(const std::filesystem::path& path, std::error_code cause);
std::string cannot_write(const std::filesystem::path& path, std::error_code cause);

} // namespace zelkor::can::listen
