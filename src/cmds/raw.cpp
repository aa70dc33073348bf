#include "cmds/raw.h"

#include <string>

#include "utils/chunk.h"
#include "utils/ctrlc.h"
#include "utils/firmware.h"
#include "utils/listen.h"
#include "utils/overloaded.h"
#include "utils/zlkr.h"

namespace zelkor::cmds::raw {
namespace {

// Each read is one chunk printed on a line of its own, so a line that arrives in two reads shows
// as two lines: the traffic exactly as the reads cut it.
constexpr std::size_t chunk_size = 256;

std::uint8_t write(const Write& request, const Raw& raw, utils::output::Sink& out) {
  auto port = get_device(request.port, raw.timeout);
  if (!port) {
    out.line(port.error());
    return 1;
  }
  const auto answer = utils::zlkr::talk(*port, request.command, raw.truncate);
  if (!answer) {
    out.line(utils::zlkr::message(answer.error()));
    return 1;
  }
  out.line(*answer);
  return 0;
}

// Ctrl-C is the normal end; a port that failed (a board unplugged) must not read as success to
// a script that logs with this.
std::uint8_t listen(const Listen& request, const Raw& raw, utils::output::Sink& out) {
  auto port = get_device(request.port, raw.timeout);
  if (!port) {
    out.line(port.error());
    return 1;
  }
  const utils::ctrlc::Watch watch;
  std::string chunk;
  std::string line;
  const auto end =
      utils::listen::run(*port, watch, {.read_size = chunk_size}, out, [&](std::string_view bytes) {
        chunk.clear();
        utils::chunk::append(chunk, bytes);
        line = utils::chunk::to_printable(utils::chunk::drop_tail(chunk, raw.truncate));
        line += '\n';
        return utils::listen::Reply{.text = line};
      });
  return end == utils::listen::End::interrupted ? 0 : 1;
}

std::uint8_t devices(utils::output::Sink& out) {
  const auto ports =
      utils::serial::get_ports(utils::firmware::vendor_id, utils::firmware::product_id);
  if (!ports) {
    out.line(ports.error());
    return 1;
  }
  out.print("{} - CAN Interface\n{} - Terminal Interface\n", ports->at(utils::firmware::can_port),
            ports->at(utils::firmware::terminal_port));
  return 0;
}

} // namespace

std::expected<utils::serial::Port, std::string> get_device(const std::string& port,
                                                           std::uint64_t timeout) {
  if (port == "terminal" || port == "can") {
    return utils::zlkr::interface(port, timeout);
  }
  auto claimed = utils::serial::claim(port, timeout);
  if (!claimed) {
    return std::unexpected("Failed to claim interface. It may be in-use by another program, you "
                           "may need to run as root, or the interface may not exist.");
  }
  return std::move(*claimed);
}

std::uint8_t handler(Raw raw, utils::output::Sink& out) {
  return std::visit(utils::Overloaded{
                        [&](const Write& request) { return write(request, raw, out); },
                        [&](const Listen& request) { return listen(request, raw, out); },
                        [&](const Devices&) { return devices(out); },
                    },
                    raw.action);
}

} // namespace zelkor::cmds::raw
