#pragma once
// What the emulated firmware sends back for one command.

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelkor::sim {

// The answer to one command: chunks written one after another, `pause` apart. The pause lets a
// test check how a reader's silence time-out cuts an answer.
struct Reply {
  std::vector<std::string> chunks;
  std::chrono::milliseconds pause{0};
};

// Answers a command the test did not script; nullopt means no answer at all.
using Fallback = std::function<std::optional<Reply>(std::string_view command)>;

// Tells whether the bytes of a burst so far make a whole command, answered at once instead of
// after the burst's gap; empty: every command ends with silence.
using CommandEnd = std::function<bool(std::string_view bytes)>;

} // namespace zelkor::sim
