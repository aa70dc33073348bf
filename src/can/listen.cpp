#include "can/listen.h"

#include <fcntl.h>

#include <algorithm>
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
#include "can/log_text.h"
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

// Created when missing and emptied when present, so a shorter dump leaves no older tail.
std::expected<utils::output::Sink, std::string> open_output(const std::filesystem::path& path) {
  utils::UniqueFd fd{
      ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0644)};
  if (!fd.valid()) {
    return std::unexpected(fmt::format("Could not open output file {}: {}", path.native(),
                                       std::generic_category().message(errno)));
  }
  return utils::output::Sink(std::move(fd));
}

// Turns received bytes into dump lines, keeping the delta's reference instant between reads.
class Lines {
public:
  Lines(std::vector<std::string> filter, Layout layout, std::string interface,
        std::optional<std::uint64_t> count)
      : filter_(std::move(filter)), layout_(layout), interface_(std::move(interface)),
        count_(count), reference_(Clock::now()) {}

  // Formats every frame that `bytes` completes (read when the wall clock showed `read_at`); the
  // lines wait in text() until clear(). Frames past the count are dropped.
  void take(std::string_view bytes, log::WallTime read_at) {
    read_at_ = read_at;
    splitter_.feed(bytes, [this](std::string_view text) { add(text); });
  }
  [[nodiscard]] const std::string& text() const { return text_; }
  void clear() { text_.clear(); }
  // Frames seen so far, whether kept or not.
  [[nodiscard]] std::uint64_t received() const { return received_; }
  // The count of written frames was reached.
  [[nodiscard]] bool counted_out() const { return count_ && written_ >= *count_; }
  // Kept frames that the log format cannot carry.
  [[nodiscard]] std::uint64_t unwritable() const { return unwritable_; }

private:
  void add(std::string_view received) {
    const auto frame = decode(received);
    if (!frame || counted_out()) {
      return;
    }
    ++received_;
    if (layout_.log) {
      if (keeps(filter_, frame->id)) {
        ++(log::append_line(text_, *frame, interface_, read_at_) ? written_ : unwritable_);
      }
      return;
    }
    if (!layout_.delta) {
      if (keeps(filter_, frame->id)) {
        append_line(text_, *frame, 0, layout_);
        ++written_;
      }
      return;
    }
    // A filtered frame still restarts the delta: it is the time since any frame was seen.
    const float delta = seconds_between(reference_, Clock::now());
    if (keeps(filter_, frame->id)) {
      append_line(text_, *frame, delta, layout_);
      ++written_;
    }
    reference_ = Clock::now();
  }

  FrameSplitter splitter_;
  std::vector<std::string> filter_;
  Layout layout_;
  std::string interface_;
  std::optional<std::uint64_t> count_;
  Clock::time_point reference_;
  log::WallTime read_at_;
  std::string text_;
  std::uint64_t received_ = 0;
  std::uint64_t written_ = 0;
  std::uint64_t unwritable_ = 0;
};

enum class End { interrupted, port_failed, output_failed };

// The wall clock when a read returned, as the log writes it.
log::WallTime wall_clock() {
  return std::chrono::floor<std::chrono::microseconds>(std::chrono::system_clock::now());
}

// How long the next read may wait: until the idle time since the last frame (or the start) is
// up, or for ever without one.
std::uint64_t wait_ms(std::optional<std::uint64_t> idle_ms, Clock::time_point last_frame) {
  if (!idle_ms) {
    return std::numeric_limits<std::uint64_t>::max();
  }
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(
      last_frame + std::chrono::milliseconds(*idle_ms) - Clock::now());
  return static_cast<std::uint64_t>(std::max<std::int64_t>(0, left.count()));
}

// Reads until Ctrl-C, the frame count, the idle time or a failure. Each read's lines go out in
// one write as soon as it is decoded, so a pipe or `tail -f` sees frames live without a write
// per line.
End dump(utils::serial::Port& port, const utils::ctrlc::Watch& watch, Lines& lines,
         std::optional<std::uint64_t> idle_ms, utils::output::Sink& sink) {
  std::array<char, read_size> buffer{};
  auto last_frame = Clock::now();
  while (watch.running() && !lines.counted_out()) {
    // Waiting on the port, on Ctrl-C and on the output's reader together: no CPU while the bus
    // is quiet, and Ctrl-C or a reader that went away (`| head`) ends the dump at once.
    const auto count =
        port.read_some(buffer, wait_ms(idle_ms, last_frame), watch.wake_fd(), sink.fd());
    if (!count) {
      if (count.error() == std::errc::timed_out && idle_ms && wait_ms(idle_ms, last_frame) == 0) {
        break; // quiet for the idle time
      }
      if (count.error() == std::errc::interrupted || count.error() == std::errc::timed_out) {
        continue; // Ctrl-C (the loop ends) or a signal: neither is a port error
      }
      if (count.error() == std::errc::broken_pipe) {
        sink.reader_gone(); // recorded as a failed write
        return End::output_failed;
      }
      return End::port_failed;
    }
    const auto seen = lines.received();
    lines.take(std::string_view(buffer.data(), *count), wall_clock());
    if (lines.received() != seen) {
      last_frame = Clock::now();
    }
    if (!lines.text().empty() && !sink.write(lines.text())) {
      return End::output_failed;
    }
    lines.clear();
  }
  return End::interrupted;
}

// Frames a log could not carry are named once, whatever ended the dump; the status stays.
void report_unwritable(std::uint64_t frames) {
  if (frames > 0) {
    fmt::print(stderr, "zelkor: {} {} not be written in the log format\n", frames,
               frames == 1 ? "frame could" : "frames could");
  }
}

// A file the dump cannot write to is named; standard output's own failures are reported once
// the handler returns.
void report_failed_file(const std::filesystem::path& path, const utils::output::Sink& file) {
  fmt::print(stderr, "zelkor: cannot write to {}: {}\n", path.native(), file.error().message());
}

} // namespace

std::uint8_t can_bus(Dump dump, utils::output::Sink& out) {
  auto port = utils::zlkr::interface("can", claim_timeout_ms);
  if (!port) {
    out.line(port.error());
    return 1;
  }
  const utils::ctrlc::Watch watch;
  std::optional<utils::output::Sink> file;
  if (dump.output) {
    auto opened = open_output(*dump.output);
    if (!opened) {
      out.line(opened.error());
      return 1;
    }
    file.emplace(std::move(*opened));
  }
  utils::output::Sink& sink = file ? *file : out;
  const Layout layout{.csv = dump.csv, .delta = dump.delta, .log = dump.log};
  Lines lines(dump.filter.value_or(std::vector<std::string>{}), layout,
              dump.interface.value_or(std::string(log::default_interface)), dump.count);
  End end = End::output_failed;
  if (sink.write(header(layout))) {
    end = listen::dump(*port, watch, lines, dump.idle_ms, sink);
  }
  report_unwritable(lines.unwritable());
  switch (end) {
  case End::interrupted:
    return out.ok() ? 0 : 1;
  case End::port_failed:
    out.write("\n\n");
    return 1;
  case End::output_failed:
    if (file) {
      report_failed_file(*dump.output, *file);
    }
    return 1;
  }
  return 1;
}

} // namespace zelkor::can::listen
