#pragma once
// Reading a log for `can replay`: each line checked and turned into the frame it records.

#include <chrono>
#include <cstddef>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelkor::can::replay {

// One frame of a log, its identifier and data as the log writes them.
struct LogFrame {
  std::chrono::microseconds time; // since the epoch, as the log gives it (finer digits dropped)
  std::string interface;
  std::string identifier;
  std::optional<std::string> data; // absent for a remote frame
  bool extended = false;
  std::size_t line = 0; // counted from 1
  bool operator==(const LogFrame&) const = default;
};

// The frame command `can send` writes for `frame`. A frame without data goes as `can send -l 0
// ID 00` sends it: the command has no way to leave the data field out.
std::string frame_command(const LogFrame& frame);

// The frame a line records ("(1765000000.123456) can0 123#11223344", further fields ignored),
// nothing for a blank line, or what is wrong with the line.
std::expected<std::optional<LogFrame>, std::string> parse_line(std::string_view line);

// Every frame of `text` (of the interface named, when one is), or "NAME:LINE: what is wrong" for
// the first bad line, or "NAME: ..." when there is no frame to replay.
std::expected<std::vector<LogFrame>, std::string>
parse_log(std::string_view text, std::string_view name,
          const std::optional<std::string>& interface);

} // namespace zelkor::can::replay
