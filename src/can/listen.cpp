#include "can/listen.h"

#include <fcntl.h>

#include <cerrno>
#include <expected>
#include <system_error>

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

// Created when missing and emptied when present, so a shorter dump leaves no older tail.
std::expected<utils::output::Sink, std::string> open_output(const std::filesystem::path& path) {
  utils::UniqueFd fd{
      ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0644)};
  if (!fd.valid()) {
    return std::unexpected(cannot_open(path, std::error_code(errno, std::generic_category())));
  }
  return utils::output::Sink(std::move(fd));
}

} // namespace

std::uint8_t can_bus(std::optional<std::vector<std::string>> filter, bool delta,
                     std::optional<std::filesystem::path> output, bool csv,
                     utils::output::Sink& out) {
  auto port = utils::zlkr::interface("can", claim_timeout_ms);
  if (!port) {
    out.line(port.error());
    return 1;
  }
  // Before the header: once a reader sees it, Ctrl-C ends the dump cleanly.
  const utils::ctrlc::Watch watch;
  std::optional<utils::output::Sink> file;
  if (output) {
    auto opened = open_output(*output);
    if (!opened) {
      out.line(opened.error());
      return 1;
    }
    file.emplace(std::move(*opened));
  }
  utils::output::Sink& sink = file ? *file : out;
  const Layout layout{.csv = csv, .delta = delta};
  auto end = utils::listen::End::output_failed;
  if (sink.write(header(layout))) {
    Lines lines(filter.value_or(std::vector<std::string>{}), layout, Clock::now());
    // The lines of one read go out in one write, at once: a pipe or `tail -f` sees frames live
    // without a write per line.
    end = utils::listen::run(*port, watch, {.read_size = read_size}, sink,
                             [&](std::string_view bytes) {
                               return utils::listen::Reply{.text = lines.take(bytes, Clock::now())};
                             });
  }
  switch (end) {
  case utils::listen::End::interrupted:
    return out.ok() ? 0 : 1;
  case utils::listen::End::port_failed:
    out.write("\n\n");
    return 1;
  case utils::listen::End::output_failed:
    // Standard output's own failures are reported once the handler returns.
    if (file) {
      out.line(cannot_write(*output, file->error()));
    }
    return 1;
  }
  return 1;
}

} // namespace zelkor::can::listen
