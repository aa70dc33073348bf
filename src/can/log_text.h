#pragma once
// The log format that CAN tools exchange recordings in: one frame per line,
// "(SECONDS.MICROSECONDS) INTERFACE ID#DATA". Written by `can dump -L`, read by `can replay`.

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

#include "can/frames.h"

namespace zelkor::can::log {

// The identifier's digits: a standard frame's and an extended frame's.
inline constexpr std::size_t standard_digits = 3;
inline constexpr std::size_t extended_digits = 8;
// The time's digits after the dot: microseconds.
inline constexpr std::size_t fraction_digits = 6;

// What names the bus when no other name is given.
inline constexpr std::string_view default_interface = "can0";

// Whether `name` can stand as a log line's interface: 1 to 15 characters, none of them a space,
// "/" or a control character (the rules of a network interface name).
bool is_interface_name(std::string_view name);

using WallTime = std::chrono::sys_time<std::chrono::microseconds>;

// "(1765000000.123456)": seconds since the epoch, a dot, exactly six digits.
void append_time(std::string& lines, WallTime time);

// Appends the log line of `frame` (line break included) and gives true, or gives false and
// appends nothing when the frame cannot be written in the format: an identifier that is not 1
// to 3 hexadecimal digits (a standard frame, written as 3) or 4 to 8 with a value up to
// 1FFFFFFF (an extended frame, written as 8); data that is not an even number of hexadecimal
// digits, at most 16. Digits are written in upper case.
bool append_line(std::string& lines, const listen::Frame& frame, std::string_view interface,
                 WallTime time);

// "(1765000000.123456) can0 ": how every line of the frames read at `time` begins. Made once
// per read, it is what the next append_line writes before the frame.
std::string line_start(WallTime time, std::string_view interface);
bool append_line(std::string& lines, const listen::Frame& frame, std::string_view start);

} // namespace zelkor::can::log
