#include "can/replay.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <optional>
#include <ranges>

#include <fmt/format.h>

#include "can/schedule.h"
#include "can/send.h"
#include "utils/chunk.h"
#include "utils/ctrlc.h"
#include "utils/file.h"
#include "utils/unique_fd.h"
#include "utils/zlkr.h"

namespace zelkor::can::replay {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint64_t max_log_size = 64ULL * 1024 * 1024;
constexpr std::string_view standard_input = "-";
// As candump ends on a signal.
constexpr std::uint8_t interrupted_status = 130;

std::string unreadable(const Replay& replay, std::error_code error) {
  return fmt::format("Could not read log {}: {}", utils::chunk::escaped(replay.file.native()),
                     error.message());
}

// Shows how far the replay got on standard error when that is a terminal and the replay has
// run for a while; a short replay, a log or a script gets nothing extra.
class Progress {
public:
  explicit Progress(std::size_t total)
      : total_(total), shown_(::isatty(STDERR_FILENO) == 1), next_(Clock::now() + quiet_start) {}
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;
  ~Progress() {
    if (written_) {
      err_.write("\n");
    }
  }

  void sent(std::size_t frames) {
    const auto now = Clock::now();
    if (shown_ && now >= next_) {
      next_ = now + pace;
      written_ = true;
      // A failed write only loses the progress.
      err_.print("\rReplaying: {} of {} frames", frames, total_);
    }
  }

private:
  static constexpr auto quiet_start = std::chrono::seconds(2);
  static constexpr auto pace = std::chrono::milliseconds(250);
  std::size_t total_;
  bool shown_;
  bool written_ = false;
  Clock::time_point next_;
  utils::output::Sink err_{STDERR_FILENO};
};

void report_failure(std::size_t line, const utils::zlkr::Error& error, utils::output::Sink& out) {
  out.print("Failed to send frame at line {}: {}\n", line, utils::zlkr::message(error));
}

} // namespace

std::expected<std::vector<LogFrame>, std::string> load(const Replay& replay) {
  const bool from_stdin = replay.file == standard_input;
  utils::UniqueFd opened;
  if (!from_stdin) {
    auto file = utils::file::open_for_reading(replay.file);
    if (!file) {
      return std::unexpected(unreadable(replay, file.error()));
    }
    opened = std::move(*file);
  }
  auto text = utils::file::read_capped(from_stdin ? STDIN_FILENO : opened.get(), max_log_size);
  if (!text) {
    return std::unexpected(unreadable(replay, text.error()));
  }
  if (text->size() > max_log_size) {
    return std::unexpected(
        fmt::format("Log {} is larger than 64 MiB", utils::chunk::escaped(replay.file.native())));
  }
  return parse_log(*text, replay.file.native(), replay.interface);
}

std::uint8_t play(const std::vector<LogFrame>& frames, bool back_to_back,
                  utils::output::Sink& out) {
  auto port = utils::zlkr::claim_kind("can", send::answer_timeout_ms);
  if (!port) {
    report_failure(frames.front().line, port.error(), out);
    return 1;
  }
  const utils::ctrlc::Watch watch;
  const auto times = frames | std::views::transform(&LogFrame::time);
  const std::vector<std::chrono::microseconds> log_times(times.begin(), times.end());
  const Schedule schedule(log_times, back_to_back);
  std::optional<Progress> progress(std::in_place, frames.size());
  const auto start = Clock::now();
  for (std::size_t i = 0; i < frames.size(); ++i) {
    if (!watch.sleep_until(schedule.due(i, start))) {
      progress.reset();
      out.print("Stopped after {} of {} frames\n", i, frames.size());
      return interrupted_status;
    }
    if (auto answer = utils::zlkr::talk(*port, frame_command(frames[i]), 1); !answer) {
      progress.reset();
      report_failure(frames[i].line, answer.error(), out);
      return 1;
    }
    progress->sent(i + 1);
  }
  progress.reset();
  out.print("Sent {} frames\n", frames.size());
  return 0;
}

} // namespace zelkor::can::replay
