#include "cmds/raw.h"

namespace zelkor::cmds::raw {

// Placeholder until the serial handler lands.
std::uint8_t handler(Raw) {
  return 1;
}

} // namespace zelkor::cmds::raw
