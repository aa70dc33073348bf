// Claiming a port and bounded I/O on it.
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <climits>
#include <utility>

#include "utils/claim_wait.h"
#include "utils/last_error.h"
#include "utils/serial.h"
#include "utils/unique_fd.h"

namespace zelkor::utils::serial {
namespace {

using Clock = std::chrono::steady_clock;

class SerialCategory : public std::error_category {
public:
  [[nodiscard]] const char* name() const noexcept override { return "serial"; }
  [[nodiscard]] std::string message(int /*condition*/) const override {
    return "Settings did not apply correctly";
  }
};

std::error_code settings_mismatch() {
  static const SerialCategory category;
  return {1, category};
}

std::unexpected<std::error_code> fail(std::errc code) {
  return std::unexpected(std::make_error_code(code));
}

// 9600 baud, 8 data bits, no parity, one stop bit, no flow control, raw.
termios line_settings(termios current) {
  current.c_cflag |= CREAD | CLOCAL;
  cfmakeraw(&current);
  current.c_iflag &= ~static_cast<tcflag_t>(IXOFF | IXANY);
  current.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
  current.c_cflag |= CS8;
  cfsetispeed(&current, B9600);
  cfsetospeed(&current, B9600);
  return current;
}

bool same_flags(const termios& a, const termios& b) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
         a.c_lflag == b.c_lflag;
}

std::expected<void, std::error_code> apply_line_settings(int fd) {
  termios current{};
  if (tcgetattr(fd, &current) != 0) {
    return std::unexpected(last_error());
  }
  const termios wanted = line_settings(current);
  termios applied{};
  if (tcsetattr(fd, TCSANOW, &wanted) != 0 || tcgetattr(fd, &applied) != 0) {
    return std::unexpected(last_error());
  }
  if (!same_flags(wanted, applied)) {
    return std::unexpected(settings_mismatch());
  }
  return {};
}

int poll_ms(Clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
  return static_cast<int>(std::clamp<std::int64_t>(left.count(), 0, INT_MAX));
}

Clock::time_point deadline_after(std::uint64_t ms) {
  // Far enough to mean "never" without overflowing the clock.
  constexpr std::uint64_t cap = 1000ULL * 60 * 60 * 24 * 365;
  return Clock::now() + std::chrono::milliseconds(std::min(ms, cap));
}

// Whether `fd` (when there is one) becomes readable within `wait_ms`; with no descriptor, only
// the wait.
bool readable(int fd, int wait_ms = 0) {
  pollfd state{.fd = fd, .events = POLLIN, .revents = 0};
  return ::poll(&state, 1, wait_ms) == 1 && (state.revents & POLLIN) != 0;
}

// Descriptors that end a wait besides the port's own readiness.
struct Stops {
  int wake_fd = -1;   // readable: std::errc::interrupted
  int hangup_fd = -1; // an error or hang-up: std::errc::broken_pipe
};

// Waits until `fd` is ready for `events`, a stop descriptor fires, or `deadline` passes.
std::expected<void, std::error_code> wait_ready(int fd, short events, Stops stops,
                                                Clock::time_point deadline) {
  constexpr short hangup = POLLHUP | POLLERR | POLLNVAL;
  for (;;) {
    // A negative descriptor is ignored by poll, so unused stops cost nothing.
    std::array<pollfd, 3> fds = {
        {{fd, events, 0}, {stops.wake_fd, POLLIN, 0}, {stops.hangup_fd, 0, 0}}};
    const int ready = ::poll(fds.data(), fds.size(), poll_ms(deadline));
    if (ready < 0) {
      if (errno == EINTR) {
        return fail(std::errc::interrupted);
      }
      return std::unexpected(last_error());
    }
    if (ready == 0) {
      if (Clock::now() < deadline) {
        continue; // a wait longer than one poll can take
      }
      return fail(std::errc::timed_out);
    }
    if ((fds[1].revents & POLLIN) != 0) {
      return fail(std::errc::interrupted);
    }
    if ((fds[2].revents & hangup) != 0) {
      return fail(std::errc::broken_pipe);
    }
    if ((fds[0].revents & events) != 0) {
      return {};
    }
    if ((fds[0].revents & hangup) != 0) {
      return fail(std::errc::io_error);
    }
  }
}

} // namespace

Port::Port(int fd, std::string path, std::uint64_t timeout_ms, bool exclusive)
    : fd_(fd), path_(std::move(path)), timeout_ms_(timeout_ms), exclusive_(exclusive) {}

Port::Port(Port&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)),
      timeout_ms_(other.timeout_ms_), exclusive_(std::exchange(other.exclusive_, false)) {}

Port& Port::operator=(Port&& other) noexcept {
  if (this != &other) {
    release();
    fd_ = std::exchange(other.fd_, -1);
    path_ = std::move(other.path_);
    timeout_ms_ = other.timeout_ms_;
    exclusive_ = std::exchange(other.exclusive_, false);
  }
  return *this;
}

Port::~Port() {
  release();
}

void Port::release() noexcept {
  if (fd_ < 0) {
    return;
  }
  if (exclusive_) {
    ::ioctl(fd_, TIOCNXCL);
  }
  ::close(fd_); // also drops the advisory lock
  fd_ = -1;
}

std::expected<void, std::error_code> Port::write(std::string_view bytes, int wake_fd) {
  const auto deadline = deadline_after(timeout_ms_);
  while (!bytes.empty()) {
    if (auto ready = wait_ready(fd_, POLLOUT, {wake_fd, -1}, deadline); !ready) {
      if (ready.error() == std::errc::interrupted && !readable(wake_fd)) {
        continue; // a signal that asked nothing of this write
      }
      if (ready.error() == std::errc::timed_out || ready.error() == std::errc::interrupted) {
        // Whatever did not go out must not reach the device later as a stray command.
        ::tcflush(fd_, TCOFLUSH);
      }
      return ready;
    }
    const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EAGAIN || errno == EINTR) {
        continue;
      }
      return std::unexpected(last_error());
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return {};
}

std::expected<void, std::error_code> Port::drain(int wake_fd) {
  // tcdrain alone could wait for ever on a device that stopped taking data, so the output
  // queue is watched against the deadline first; tcdrain then only waits for the little a
  // driver keeps beyond that queue.
  constexpr auto pace = std::chrono::milliseconds(5);
  const auto deadline = deadline_after(timeout_ms_);
  for (;;) {
    int queued = 0;
    if (::ioctl(fd_, TIOCOUTQ, &queued) != 0) {
      return std::unexpected(last_error());
    }
    if (queued == 0) {
      break;
    }
    if (Clock::now() >= deadline) {
      ::tcflush(fd_, TCOFLUSH);
      return fail(std::errc::timed_out);
    }
    if (readable(wake_fd, static_cast<int>(pace.count()))) {
      ::tcflush(fd_, TCOFLUSH);
      return fail(std::errc::interrupted);
    }
  }
  if (::tcdrain(fd_) != 0) {
    return std::unexpected(last_error());
  }
  return {};
}

std::expected<std::size_t, std::error_code>
Port::read_some(std::span<char> buffer, std::uint64_t wait_ms, int wake_fd, int hangup_fd) {
  const auto deadline = deadline_after(wait_ms);
  for (;;) {
    if (auto ready = wait_ready(fd_, POLLIN, {wake_fd, hangup_fd}, deadline); !ready) {
      return std::unexpected(ready.error());
    }
    const ssize_t count = ::read(fd_, buffer.data(), buffer.size());
    if (count > 0) {
      return static_cast<std::size_t>(count);
    }
    if (count == 0) {
      return fail(std::errc::io_error); // the other end is gone
    }
    if (errno != EAGAIN && errno != EINTR) {
      return std::unexpected(last_error());
    }
  }
}

std::expected<Port, std::error_code> claim(std::string_view path, std::uint64_t timeout_ms) {
  std::string owned_path{path};
  // With `--wait`, a port another process holds is waited for, open and lock together.
  const auto deadline = claim_wait::deadline();
  auto opened =
      claim_wait::open(owned_path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC, deadline);
  if (!opened) {
    return std::unexpected(opened.error());
  }
  UniqueFd fd = std::move(*opened);
  // Before anything else: a holder's settings, pending answer and exclusivity are not ours to
  // touch, and TIOCEXCL alone does not keep root out.
  if (auto locked = claim_wait::lock(fd.get(), deadline); !locked) {
    return std::unexpected(locked.error());
  }
  if (auto applied = apply_line_settings(fd.get()); !applied) {
    return std::unexpected(applied.error());
  }
  // Stale input from before the claim must never be read as part of an answer. Output is left
  // alone: what is queued there is the previous holder's, already reported as sent, and on a
  // pty flushing it discards bytes the far end has not yet taken in.
  if (::tcflush(fd.get(), TCIFLUSH) != 0) {
    return std::unexpected(last_error());
  }
  if (::ioctl(fd.get(), TIOCEXCL) != 0) {
    return std::unexpected(last_error());
  }
  // Stays non-blocking: a blocking write to a device that stopped reading would never return.
  return Port{fd.release(), std::move(owned_path), timeout_ms, true};
}

} // namespace zelkor::utils::serial
