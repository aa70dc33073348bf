#pragma once
// `can send`: one frame on the bus, through the controller's CAN port.

#include <cstdint>

#include "can/can.h"
#include "utils/output.h"

namespace zelkor::can::send {

// How long the answer to a frame command is waited for. The controller acknowledges at once, if
// at all; a busy bus cannot stretch the answer past the link's overall limit.
inline constexpr std::uint64_t answer_timeout_ms = 1;

// Checks the frame, has the controller transmit it and prints the controller's answer; a frame
// that fails a check is never written to the port.
std::uint8_t can_message(Send frame, utils::output::Sink& out);

} // namespace zelkor::can::send
