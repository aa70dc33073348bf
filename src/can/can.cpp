#include "can/can.h"

#include <string_view>

#include "can/dump_output.h"
#include "can/listen.h"
#include "can/replay.h"
#include "can/send.h"
#include "cmds/config.h"
#include "utils/overloaded.h"

namespace zelkor::can {
namespace {

constexpr std::string_view standard_mode = "std";

// Frames only go through while the controller is in standard mode; a failed read says nothing
// about the mode, so it gets its own advice.
bool mode_is_standard(utils::output::Sink& out) {
  const auto mode = cmds::config::read("can-mode");
  if (!mode) {
    out.line("Could not check can mode. Try running with the `--nocheck` flag?");
    return false;
  }
  if (*mode != standard_mode) {
    out.line("Invalid can operation mode. Try running `zelkor config can-mode std`?");
    return false;
  }
  return true;
}

bool set_baudrate(const std::string& baudrate, utils::output::Sink& out) {
  const auto answer = cmds::config::set("can-baudrate", baudrate, true);
  if (!answer) {
    out.print("Could not set baudrate! Error: {}\n", answer.error());
    return false;
  }
  out.line(*answer);
  return true;
}

} // namespace

std::uint8_t handler(Action action, utils::output::Sink& out) {
  // Before the mode check: an output that cannot be opened touches no port.
  std::optional<DumpFile> file;
  if (const auto* dump = std::get_if<Dump>(&action.action); dump != nullptr && dump->output) {
    auto opened = open_dump_file(*dump->output);
    if (!opened) {
      out.line(opened.error());
      return 1;
    }
    file.emplace(std::move(*opened));
  }
  // Checked whole before any port is touched, as a dump's output is opened first.
  std::vector<replay::LogFrame> frames;
  if (const auto* replay = std::get_if<Replay>(&action.action)) {
    auto loaded = replay::load(*replay);
    if (!loaded) {
      out.line(loaded.error());
      return 1;
    }
    frames = std::move(*loaded);
  }
  if (!action.nocheck && !mode_is_standard(out)) {
    return 1;
  }
  if (action.baudrate && !set_baudrate(*action.baudrate, out)) {
    return 1;
  }
  return std::visit(
      utils::Overloaded{
          [&](Send& send) { return send::can_message(std::move(send), out); },
          [&](Dump& dump) { return listen::can_bus(std::move(dump), std::move(file), out); },
          [&](const Replay& replay) { return replay::play(frames, replay.ignore_timestamps, out); },
      },
      action.action);
}

} // namespace zelkor::can
