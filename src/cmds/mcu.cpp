#include "cmds/mcu.h"

#include <fmt/core.h>

#include "cmds/mcu_text.h"
#include "utils/serial.h"
#include "utils/zlkr.h"

namespace zelkor::cmds::mcu {
namespace {

constexpr std::string_view set_default_command = "set boot-config true";

std::uint8_t status_of(bool failed) {
  return failed ? 1 : 0;
}

std::uint8_t get_di(const GetDi& request) {
  const Operation& op = operation_of(request);
  const auto answer = utils::zlkr::do_command("term", std::string(op.word), op.timeout_ms);
  if (!answer) {
    fmt::print("{}\n", answer.error());
    return 1;
  }
  // An error text or a silent board must not read as an input state.
  const auto state = input_state(*answer, request.input);
  if (!state) {
    fmt::print("{}\n", state.error());
    return 1;
  }
  fmt::print("{}\n", *state);
  return 0;
}

std::uint8_t user_config(const UserConfig& request) {
  const Operation& op = operation_of(request);
  if (do_op(command_text(request), op.timeout_ms, op.truncate)) {
    return 1;
  }
  if (!request.set_default) {
    return 0;
  }
  return status_of(do_op(std::string(set_default_command), op.timeout_ms, op.truncate));
}

} // namespace

bool do_op(std::string command, std::uint64_t timeout_ms, std::uint64_t truncate) {
  auto port = utils::zlkr::interface("terminal", timeout_ms);
  if (!port) {
    fmt::print("{}\n", port.error());
    return true;
  }
  if (!port->write(command)) {
    fmt::print("{}\n", utils::zlkr::write_failed);
    return true;
  }
  const auto answer = utils::serial::read(*port, truncate);
  if (!answer) {
    fmt::print("{}\n", utils::zlkr::read_failed);
    return true;
  }
  fmt::print("{}\n", *answer);
  return false;
}

std::uint8_t handler(Commands command) {
  if (const auto* request = std::get_if<GetDi>(&command)) {
    return get_di(*request);
  }
  if (const auto* request = std::get_if<UserConfig>(&command)) {
    return user_config(*request);
  }
  const Operation& op = operation_of(command);
  return status_of(do_op(command_text(command), op.timeout_ms, op.truncate));
}

} // namespace zelkor::cmds::mcu
