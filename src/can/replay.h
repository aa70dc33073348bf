#pragma once
// `can replay`: the frames of a log onto the bus, at their recorded times.

#include <cstdint>
#include <expected>
#include <string>
#include <vector>

#include "can/can.h"
#include "can/replay_text.h"
#include "utils/output.h"

namespace zelkor::can::replay {

// Reads the whole log (at most 64 MiB) and checks every line, touching no port: the frames to
// send, or the message that says what is wrong.
std::expected<std::vector<LogFrame>, std::string> load(const Replay& replay);

// Claims the CAN port once and sends each frame's command at its time (all at once with
// `back_to_back`), until the last one (status 0), a failure (1) or Ctrl-C between frames (130).
std::uint8_t play(const std::vector<LogFrame>& frames, bool back_to_back, utils::output::Sink& out);

} // namespace zelkor::can::replay
