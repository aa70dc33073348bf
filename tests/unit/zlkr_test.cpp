#include "utils/zlkr.h"

#include <gtest/gtest.h>

#include <string>
#include <system_error>
#include <vector>

namespace {

using zelkor::utils::zlkr::do_command;
using zelkor::utils::zlkr::interface;
namespace zlkr = zelkor::utils::zlkr;
using zelkor::utils::serial::ReadError;

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

// Scripts match these texts; the cause kept inside an error never changes them.
TEST(Zlkr, EachErrorKindHasItsFixedText) {
  const std::string claim =
      "Failed to claim interface. It may be in-use by another program, or you may need to run as "
      "root.";
  const std::string write = "Failed to write to mcu -- it may be in use by another program.";
  const std::string read = "Failed to read response from microcontroller.";
  struct Case {
    zlkr::Error error;
    std::string text;
  };
  const std::vector<Case> cases = {
      {zlkr::InvalidKind{}, "Invalid port kind."},
      {zlkr::Discovery{"Could not detect any matching ports."},
       "Could not detect any matching ports.\nFailed to auto-detect port. Try rebooting?"},
      {zlkr::Discovery{"Only found one matching port, but expected two."},
       "Only found one matching port, but expected two.\nFailed to auto-detect port. Try "
       "rebooting?"},
      {zlkr::Claim{std::make_error_code(std::errc::resource_unavailable_try_again)}, claim},
      {zlkr::Claim{std::make_error_code(std::errc::permission_denied)}, claim},
      {zlkr::Write{std::make_error_code(std::errc::timed_out)}, write},
      {zlkr::Write{std::make_error_code(std::errc::io_error)}, write},
      {zlkr::Read{ReadError::io}, read},
      {zlkr::Read{ReadError::too_long}, read},
      {zlkr::Read{ReadError::not_utf8}, read},
  };
  for (const auto& [error, text] : cases) {
    EXPECT_EQ(zlkr::message(error), text) << "error alternative " << error.index();
  }
}

} // namespace
