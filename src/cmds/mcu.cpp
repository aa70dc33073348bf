#include "cmds/mcu.h"

#include "cmds/mcu_text.h"
#include "utils/serial.h"
#include "utils/zlkr.h"

namespace zelkor::cmds::mcu {
namespace {

constexpr std::string_view set_default_command = "set boot-config true";

std::uint8_t status_of(bool failed) {
  return failed ? 1 : 0;
}

std::uint8_t get_di(const GetDi& request, utils::output::Sink& out) {
  const Operation& op = operation_of(request);
  const auto answer = utils::zlkr::do_command("term", std::string(op.word), op.timeout_ms);
  if (!answer) {
    out.line(answer.error());
    return 1;
  }
  // An error text or a silent board must not read as an input state.
  const auto state = input_state(*answer, request.input);
  if (!state) {
    out.line(state.error());
    return 1;
  }
  out.print("{}\n", *state);
  return 0;
}

std::uint8_t user_config(const UserConfig& request, utils::output::Sink& out) {
  const Operation& op = operation_of(request);
  if (do_op(command_text(request), op.timeout_ms, op.truncate.value(), out)) {
    return 1;
  }
  if (!request.set_default) {
    return 0;
  }
  return status_of(do_op(set_default_command, op.timeout_ms, op.truncate.value(), out));
}

} // namespace

bool do_op(std::string_view command, std::uint64_t timeout_ms, std::uint64_t truncate,
           utils::output::Sink& out) {
  const auto answer = utils::zlkr::exchange("terminal", command, timeout_ms, truncate);
  if (!answer) {
    out.line(utils::zlkr::message(answer.error()));
    return true;
  }
  out.line(*answer);
  return false;
}

std::uint8_t handler(Commands command, utils::output::Sink& out) {
  if (const auto* request = std::get_if<GetDi>(&command)) {
    return get_di(*request, out);
  }
  if (const auto* request = std::get_if<UserConfig>(&command)) {
    return user_config(*request, out);
  }
  const Operation& op = operation_of(command);
  return status_of(do_op(command_text(command), op.timeout_ms, op.truncate.value(), out));
}

} // namespace zelkor::cmds::mcu
