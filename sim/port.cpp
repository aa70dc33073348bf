#include "port.h"

#include "firmware.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace zelkor::sim {
namespace {

using namespace std::chrono_literals;

// A command is the bytes that arrive in one burst: the program writes each one in one call.
constexpr auto burst_gap = 2ms;
// While nobody has the port open the master only reports a hang-up; the inotify watch wakes
// us on the next open, this bounds the wait should the watch miss it.
constexpr auto hangup_recheck = 250ms;
constexpr std::string_view flood_text = "7FF 0011223344556677\r\n";
// Poured frames go out in writes of this size: prime, so frames and their line ends are split
// at every possible place.
constexpr std::size_t pour_piece = 1021;

int millis_until(std::chrono::steady_clock::time_point deadline,
                 std::chrono::steady_clock::time_point now) {
  if (deadline == std::chrono::steady_clock::time_point::max()) {
    return -1;
  }
  auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
  return static_cast<int>(std::clamp<std::int64_t>(left.count(), 0, 60'000));
}

} // namespace

Port::Port(int master, std::string slave, Fallback fallback, CommandEnd command_end)
    : master_(master), slave_(std::move(slave)), fallback_(std::move(fallback)),
      command_end_(std::move(command_end)), wake_fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      notify_fd_(inotify_init1(IN_CLOEXEC | IN_NONBLOCK)) {
  fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
  if (notify_fd_ >= 0) {
    inotify_add_watch(notify_fd_, slave_.c_str(), IN_OPEN);
  }
  thread_ = std::jthread([this](std::stop_token stop) { run(stop); });
}

Port::~Port() {
  stop();
  if (hold_fd_ >= 0) {
    tcflow(hold_fd_, TCOON);
    close(hold_fd_);
  }
  close(wake_fd_);
  if (notify_fd_ >= 0) {
    close(notify_fd_);
  }
}

void Port::stop() {
  if (thread_.joinable()) {
    thread_.request_stop();
    wake();
    thread_.join();
  }
}

void Port::wake() const {
  std::uint64_t one = 1;
  [[maybe_unused]] auto written = write(wake_fd_, &one, sizeof one);
}

void Port::answer(std::string command, Reply reply) {
  std::lock_guard lock(mutex_);
  answers_.insert_or_assign(std::move(command), std::move(reply));
}

void Port::set_silent(bool silent) {
  std::lock_guard lock(mutex_);
  silent_ = silent;
}

void Port::flood(bool on) {
  {
    std::lock_guard lock(mutex_);
    flooding_ = on;
  }
  wake();
}

void Port::stop_reading(bool stopped) {
  {
    std::lock_guard lock(mutex_);
    reading_ = !stopped;
  }
  wake();
}

// The far end's output is stopped as a tty stops it on XOFF: the program's writes find no room
// and wait, while its reads go on. Taken before the program opens the port, so its exclusive
// claim does not shut us out.
void Port::refuse_input_after(std::string command) {
  std::lock_guard lock(mutex_);
  refused_after_ = std::move(command);
  if (hold_fd_ < 0) {
    hold_fd_ = open(slave_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  }
}

void Port::stream(std::vector<std::string> frames, std::chrono::milliseconds interval) {
  {
    std::lock_guard lock(mutex_);
    frames_ = std::move(frames);
    interval_ = std::max(interval, 1ms);
    next_frame_ = 0;
    frame_due_ = Clock::now();
  }
  wake();
}

void Port::push(std::string bytes) {
  std::lock_guard lock(mutex_);
  outgoing_.push_back({Clock::now(), std::move(bytes)});
  // Written at once where the pty takes it, so a program started next finds it queued.
  send_due(Clock::now());
}

void Port::pour(std::size_t count) {
  {
    std::lock_guard lock(mutex_);
    pour_left_ += count;
  }
  wake();
}

std::string Port::received() const {
  std::lock_guard lock(mutex_);
  return received_;
}

bool Port::wait_received(std::string_view expected, std::chrono::milliseconds max) const {
  std::unique_lock lock(mutex_);
  return received_changed_.wait_for(lock, max,
                                    [&] { return received_.find(expected) != std::string::npos; });
}

termios Port::line_settings() const {
  termios settings{};
  tcgetattr(master_, &settings);
  return settings;
}

void Port::run(std::stop_token stop) {
  while (!stop.stop_requested()) {
    auto now = Clock::now();
    if (!burst_.empty() && now >= burst_end_) {
      end_burst();
    }
    {
      std::lock_guard lock(mutex_);
      send_due(now);
      send_stream(now);
      send_flood();
      send_pour();
    }
    wait(next_deadline(Clock::now()));
  }
}

Port::Clock::time_point Port::next_deadline(Clock::time_point now) const {
  auto deadline = Clock::time_point::max();
  if (!burst_.empty()) {
    deadline = burst_end_;
  }
  std::lock_guard lock(mutex_);
  if (!outgoing_.empty()) {
    deadline = std::min(deadline, outgoing_.front().due);
  }
  if (!frames_.empty()) {
    deadline = std::min(deadline, frame_due_);
  }
  if (hung_up_) {
    deadline = std::min(deadline, now + hangup_recheck);
  }
  return deadline;
}

void Port::wait(Clock::time_point deadline) {
  short events = 0;
  {
    std::lock_guard lock(mutex_);
    if (reading_) {
      events |= POLLIN;
    }
    if (flooding_ || pouring() || (!outgoing_.empty() && outgoing_.front().due <= Clock::now())) {
      events |= POLLOUT;
    }
  }
  // A hung-up master polls ready at once: watch for the next open instead.
  std::array<pollfd, 3> fds{{{wake_fd_, POLLIN, 0},
                             {hung_up_ ? -1 : master_, events, 0},
                             {hung_up_ ? notify_fd_ : -1, POLLIN, 0}}};
  poll(fds.data(), fds.size(), millis_until(deadline, Clock::now()));

  std::uint64_t count = 0;
  [[maybe_unused]] auto drained = read(wake_fd_, &count, sizeof count);
  if (fds[2].revents & POLLIN) {
    std::array<char, 4096> events_buffer{};
    while (read(notify_fd_, events_buffer.data(), events_buffer.size()) > 0) {
    }
  }
  if (hung_up_) {
    hung_up_ = false; // look again: the far end may be open by now
    return;
  }
  if (fds[1].revents & POLLIN) {
    take_input();
  } else if (fds[1].revents & POLLHUP) {
    hung_up_ = true;
  }
}

void Port::take_input() {
  std::array<char, 4096> buffer{};
  auto count = read(master_, buffer.data(), buffer.size());
  if (count <= 0) {
    hung_up_ = count < 0 && errno == EIO;
    return;
  }
  std::string_view bytes(buffer.data(), static_cast<std::size_t>(count));
  burst_.append(bytes);
  burst_end_ = Clock::now() + (command_end_ && command_end_(burst_) ? 0ms : burst_gap);
  {
    std::lock_guard lock(mutex_);
    received_.append(bytes);
    if (hold_fd_ >= 0 && !refused_after_.empty() && burst_ == refused_after_) {
      tcflow(hold_fd_, TCOOFF);
    }
  }
  received_changed_.notify_all();
}

void Port::end_burst() {
  std::string command = std::exchange(burst_, {});
  std::optional<Reply> reply;
  {
    std::lock_guard lock(mutex_);
    if (silent_) {
      return;
    }
    if (auto scripted = answers_.find(command); scripted != answers_.end()) {
      reply = scripted->second;
    }
  }
  if (!reply && fallback_) {
    reply = fallback_(command);
  }
  if (reply) {
    std::lock_guard lock(mutex_);
    schedule(*reply);
  }
}

void Port::schedule(const Reply& reply) {
  auto due = Clock::now();
  if (!outgoing_.empty()) {
    due = std::max(due, outgoing_.back().due);
  }
  for (const auto& chunk : reply.chunks) {
    outgoing_.push_back({due, chunk});
    due += reply.pause;
  }
}

void Port::send_due(Clock::time_point now) {
  while (!outgoing_.empty() && outgoing_.front().due <= now) {
    auto& front = outgoing_.front();
    auto count = write(master_, front.bytes.data(), front.bytes.size());
    if (count < 0) {
      return; // full (EAGAIN) or gone: try again later
    }
    front.bytes.erase(0, static_cast<std::size_t>(count));
    if (!front.bytes.empty()) {
      return;
    }
    outgoing_.pop_front();
  }
}

void Port::send_stream(Clock::time_point now) {
  if (frames_.empty() || now < frame_due_) {
    return;
  }
  // Nobody takes the traffic (port closed, reader stalled): drop frames as a device would.
  if (outgoing_.size() < 16) {
    outgoing_.push_back({now, frames_[next_frame_]});
  }
  next_frame_ = (next_frame_ + 1) % frames_.size();
  frame_due_ = std::max(frame_due_ + interval_, now);
  send_due(now);
}

void Port::send_flood() {
  if (!flooding_ || !outgoing_.empty()) {
    return;
  }
  std::string block;
  while (block.size() < 1024) {
    block += flood_text;
  }
  outgoing_.push_back({Clock::now(), std::move(block)});
  send_due(Clock::now());
}

// As fast as the pty takes them: the next piece only once the last one is written whole.
void Port::send_pour() {
  while (pouring() && outgoing_.empty()) {
    while (pour_text_.size() < pour_piece && pour_left_ > 0) {
      pour_text_ += numbered_frame(pour_next_++);
      --pour_left_;
    }
    const std::size_t size = std::min(pour_piece, pour_text_.size());
    outgoing_.push_back({Clock::now(), pour_text_.substr(0, size)});
    pour_text_.erase(0, size);
    send_due(Clock::now());
  }
}

} // namespace zelkor::sim
