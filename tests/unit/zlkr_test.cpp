#include "utils/zlkr.h"

#include <gtest/gtest.h>

namespace {

using zelkor::utils::zlkr::do_command;
using zelkor::utils::zlkr::interface;

// Kind words are exact. A wrong one fails before udev is asked: on a machine without the board,
// enumerating would have given "Could not detect any matching ports." instead.
TEST(Zlkr, UnknownKindWordFailsBeforeEnumerating) {
  for (const char* kind : {"Terminal", "", "CAN", "terminal ", "/dev/ttyACM0"}) {
    const auto port = interface(kind, 25);
    ASSERT_FALSE(port.has_value()) << kind;
    EXPECT_EQ(port.error(), "Invalid port kind.") << kind;
    EXPECT_EQ(do_command(kind, "version", 25).error(), "Invalid port kind.") << kind;
  }
}

} // namespace
