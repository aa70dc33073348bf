#pragma once
// A plausible firmware for the board: answers on the terminal port, acknowledgements and a
// periodic frame on the CAN port.

#include "reply.h"

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zelkor::sim {

enum class PortId { can, terminal };

// How the default firmware shapes its answers.
struct FirmwareStyle {
  int chunks = 1;                     // each answer split into this many pieces (at most)
  std::chrono::milliseconds pause{0}; // between pieces
};

// Answers for commands nobody scripted on `port`. On the terminal port "set KEY VALUE" and
// "user-config N" change what "config" lists from then on.
Fallback default_firmware(PortId port, FirmwareStyle style);

// A frame command ("std 123 1 11 data", "ext 1ABCDEF0 remote") is whole at its last word: the
// controller acknowledges it at once, well inside the sender's short answer window.
bool is_frame_command(std::string_view bytes);

// The traffic the CAN port sends unasked, and how often.
std::vector<std::string> default_can_frames();
inline constexpr std::chrono::milliseconds default_can_interval{500};

// Frame text number `index` of a pour: identifier index % 0x800, data the index in 16 hex
// digits, so a reader can tell a lost or garbled frame from the rest.
std::string numbered_frame(std::size_t index);

// Cuts `text` into at most `pieces` nearly equal chunks (at least one).
std::vector<std::string> split(const std::string& text, int pieces);

} // namespace zelkor::sim
