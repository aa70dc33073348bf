#pragma once
// `can dump`: the frames the controller reports, one line each, until Ctrl-C.

#include <cstdint>

#include "can/can.h"
#include "can/dump_output.h"
#include "utils/output.h"

namespace zelkor::can::listen {

// Claims the CAN port and writes the header and a line per received frame to `file` (opened
// by the caller) or to `out`, until Ctrl-C, the frame count or the idle time (status 0) or
// until the port or the output fails (status 1). Every line is written as soon as its frame is
// complete.
std::uint8_t can_bus(Dump dump, std::optional<DumpFile> file, utils::output::Sink& out);

} // namespace zelkor::can::listen
