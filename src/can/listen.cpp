#include "can/listen.h"

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <expected>
#include <limits>
#include <system_error>

#include <fmt/format.h>

#include "can/dump_text.h"
#include "can/frames.h"
#include "utils/chunk.h"
#include "utils/ctrlc.h"
#include "utils/serial.h"
#include "utils/zlkr.h"

namespace zelkor::can::listen {
namespace {

using Clock = std::chrono::steady_clock;

// Each read call costs far more than the bytes it moves (about 0.2 ms on a simulated port), and
// frames are cut from the stream whatever the reads look like, so read as much as has come.
constexpr std::size_t read_size = 16 * 1024;

// Claimed with no time-out: the loop waits on the port and Ctrl-C together instead.
constexpr std::uint64_t claim_timeout_ms = 0;

// Whole seconds and nanoseconds in single precision, as the delta has always been computed.
float seconds_between(Clock::time_point from, Clock::time_point to) {
  const auto elapsed = to - from;
  const auto whole = std::chrono::floor<std::chrono::seconds>(elapsed);
  const auto nanos = std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed - whole);
  return static_cast<float>(whole.count()) + static_cast<float>(nanos.count()) / 1e9F;
}

// Turns received bytes into dump lines, keeping the delta's reference instant between reads.
class Lines {
public:
  Lines(std::vector<std::string> filter, Layout layout)
      : filter_(std::move(filter)), layout_(layout), reference_(Clock::now()) {}

  // Formats every frame that `bytes` completes; the lines wait in text() until clear().
  void take(std::string_view bytes) {
    splitter_.feed(bytes, [this](std::string_view text) { add(text); });
  }
  [[nodiscard]] const std::string& text() const { return text_; }
  void clear() { text_.clear(); }

private:
  void add(std::string_view received) {
    const auto frame = decode(received);
    if (!frame) {
      return;
    }
    if (!layout_.delta) {
      if (keeps(filter_, frame->id)) {
        append_line(text_, *frame, 0, layout_);
      }
      return;
    }
    // A filtered frame still restarts the delta: it is the time since any frame was seen.
    const float delta = seconds_between(reference_, Clock::now());
    if (keeps(filter_, frame->id)) {
      append_line(text_, *frame, delta, layout_);
    }
    reference_ = Clock::now();
  }

  FrameSplitter splitter_;
  std::vector<std::string> filter_;
  Layout layout_;
  Clock::time_point reference_;
  std::string text_;
};

enum class End { interrupted, port_failed, output_failed };

// Reads until Ctrl-C or a failure. Each read's lines go out in one write as soon as it is
// decoded, so a pipe or `tail -f` sees frames live without a write per line.
End dump(utils::serial::Port& port, const utils::ctrlc::Watch& watch, Lines& lines,
         utils::output::Sink& sink) {
  std::array<char, read_size> buffer{};
  while (watch.running()) {
    // Waiting on the port, on Ctrl-C and on the output's reader together: no CPU while the bus
    // is quiet, and Ctrl-C or a reader that went away (`| head`) ends the dump at once.
    const auto count = port.read_some(buffer, std::numeric_limits<std::uint64_t>::max(),
                                      watch.wake_fd(), sink.fd());
    if (!count) {
      if (count.error() == std::errc::interrupted || count.error() == std::errc::timed_out) {
        continue; // Ctrl-C (the loop ends) or a signal: neither is a port error
      }
      if (count.error() == std::errc::broken_pipe) {
        sink.reader_gone(); // recorded as a failed write
        return End::output_failed;
      }
      fmt::print(stderr, "{}\n", utils::zlkr::port_lost(port.path(), count.error()));
      return End::port_failed;
    }
    lines.take(std::string_view(buffer.data(), *count));
    if (!lines.text().empty() && !sink.write(lines.text())) {
      return End::output_failed;
    }
    lines.clear();
  }
  return End::interrupted;
}

// A file the dump cannot write to is named; standard output's own failures are reported once
// the handler returns.
void report_failed_file(const std::filesystem::path& path, const utils::output::Sink& file) {
  fmt::print(stderr, "zelkor: cannot write to {}: {}\n", utils::chunk::escaped(path.native()),
             file.error().message());
}

} // namespace

std::uint8_t can_bus(std::optional<std::vector<std::string>> filter, bool delta,
                     std::optional<DumpFile> file, bool csv, utils::output::Sink& out) {
  auto port = utils::zlkr::interface("can", claim_timeout_ms);
  if (!port) {
    out.line(port.error());
    return 1;
  }
  const utils::ctrlc::Watch watch;
  utils::output::Sink& sink = file ? file->sink : out;
  const Layout layout{.csv = csv, .delta = delta};
  End end = End::output_failed;
  if (sink.write(header(layout))) {
    Lines lines(filter.value_or(std::vector<std::string>{}), layout);
    end = dump(*port, watch, lines, sink);
  }
  switch (end) {
  case End::interrupted:
    return out.ok() ? 0 : 1;
  case End::port_failed:
    out.write("\n\n");
    return 1;
  case End::output_failed:
    if (file) {
      report_failed_file(file->path, file->sink);
    }
    return 1;
  }
  return 1;
}

} // namespace zelkor::can::listen
