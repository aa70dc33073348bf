#include "can/listen.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <expected>
#include <system_error>

#include <fmt/format.h>

#include "can/dump_text.h"
#include "can/lines.h"
#include "utils/ctrlc.h"
#include "utils/listen.h"
#include "utils/serial.h"
#include "utils/zlkr.h"

namespace zelkor::can::listen {
namespace {

// Each read call costs far more than the bytes it moves (about 0.2 ms on a simulated port), and
// frames are cut from the stream whatever the reads look like, so read as much as has come.
constexpr std::size_t read_size = 16 * 1024;

// Claimed with no time-out: the loop waits on the port and Ctrl-C together instead.
constexpr std::uint64_t claim_timeout_ms = 0;

// The wall clock when a read returned, as the log writes it.
log::WallTime wall_clock() {
  return std::chrono::floor<std::chrono::microseconds>(std::chrono::system_clock::now());
}

// Frames a log could not carry are named once, whatever ended the dump; the status stays.
void report_unwritable(std::uint64_t frames) {
  if (frames > 0) {
    fmt::print(stderr, "zelkor: {} {} not be written in the log format\n", frames,
               frames == 1 ? "frame could" : "frames could");
  }
}

} // namespace

std::uint8_t can_bus(Dump dump, std::optional<DumpFile> file, utils::output::Sink& out) {
  auto port = utils::zlkr::interface("can", claim_timeout_ms);
  if (!port) {
    out.line(port.error());
    return 1;
  }
  // Before the header: once a reader sees it, Ctrl-C ends the dump cleanly.
  const utils::ctrlc::Watch watch;
  utils::output::Sink& sink = file ? file->sink : out;
  const Layout layout{.csv = dump.csv, .delta = dump.delta, .log = dump.log};
  auto end = utils::listen::End::output_failed;
  Lines lines(dump.filter.value_or(std::vector<std::string>{}), layout, Clock::now(),
              dump.interface.value_or(std::string(log::default_interface)), dump.count);
  if (sink.write(header(layout))) {
    // The lines of one read go out in one write, at once: a pipe or `tail -f` sees frames live
    // without a write per line.
    end = utils::listen::run(*port, watch, {.read_size = read_size, .idle_ms = dump.idle_ms}, sink,
                             [&](std::string_view bytes) {
                               const auto seen = lines.received();
                               const auto text = lines.take(bytes, Clock::now(), wall_clock());
                               // Only frames keep an idle dump going, not noise.
                               return utils::listen::Reply{.text = text,
                                                           .active = lines.received() != seen,
                                                           .last = lines.counted_out()};
                             });
  }
  report_unwritable(lines.unwritable());
  switch (end) {
  case utils::listen::End::interrupted:
    return out.ok() ? 0 : 1;
  case utils::listen::End::port_failed:
    out.write("\n\n");
    return 1;
  case utils::listen::End::output_failed:
    // Standard output's own failures are reported once the handler returns.
    if (file) {
      out.line(cannot_write(file->path, file->sink.error()));
    }
    return 1;
  }
  return 1;
}

} // namespace zelkor::can::listen
