#include "can/send.h"

#include "can/send_text.h"
#include "utils/zlkr.h"

namespace zelkor::can::send {

std::uint8_t can_message(Send frame, utils::output::Sink& out) {
  auto command = frame_command(frame);
  if (!command) {
    out.line(command.error());
    return 1;
  }
  const auto answer = utils::zlkr::do_command("can", std::move(*command), answer_timeout_ms);
  if (!answer) {
    out.print("Failed to send {} frame: {}\n", frame.remote ? "remote" : "data", answer.error());
    return 1;
  }
  out.line(*answer);
  return 0;
}

} // namespace zelkor::can::send
