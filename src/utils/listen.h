#pragma once
// The one loop that passes a claimed port's traffic to the output until Ctrl-C. `raw listen` and
// `can dump` both run it, so waiting, stopping and a reader that went away are handled here
// alone; what the bytes become is the consumer's business.

#include <cstddef>
#include <functional>
#include <string_view>

#include "utils/ctrlc.h"
#include "utils/output.h"
#include "utils/serial.h"

namespace zelkor::utils::listen {

// What a consumer makes of one read's bytes.
struct Reply {
  // Written to the output in one write before the next read; may be empty. It must stay valid
  // until the consumer is called again.
  std::string_view text;
};

// Called with the bytes of each read, in order.
using Consumer = std::function<Reply(std::string_view bytes)>;

struct Options {
  std::size_t read_size = 256; // the most one read takes
};

enum class End {
  interrupted,   // Ctrl-C
  port_failed,   // the port failed or went away
  output_failed, // `out` could not be written or its reader went away; `out` records which
};

// Reads until Ctrl-C (seen through `watch`) or a failure, handing each read to `consume` and
// writing its reply to `out` at once. Waits on the port, on Ctrl-C and on `out`'s reader
// together, whatever the port's time-out.
End run(serial::Port& port, const ctrlc::Watch& watch, Options options, output::Sink& out,
        const Consumer& consume);

} // namespace zelkor::utils::listen
