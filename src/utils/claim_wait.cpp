#include "utils/claim_wait.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <thread>
#include <utility>

namespace zelkor::utils::claim_wait {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Set by Scope from the command line, before any claim.
std::chrono::milliseconds current_limit{0};

// Far enough to mean "for ever" without overflowing the clock.
constexpr std::chrono::milliseconds longest = std::chrono::hours(24 * 365);
// After the deadline the timer fires again this often, in case its first signal came just
// before flock started to block.
constexpr auto refire = 10ms;

std::error_code last_error() {
  return {errno, std::generic_category()};
}

extern "C" void on_claim_alarm(int /*signal*/) {}

timespec as_timespec(std::chrono::nanoseconds span) {
  const auto whole = std::chrono::floor<std::chrono::seconds>(span);
  return {static_cast<time_t>(whole.count()), static_cast<long>((span - whole).count())};
}

// While it exists, SIGALRM interrupts a blocking call of this thread once `limit` has passed
// (and every few milliseconds after), without ending the process.
class Alarm {
public:
  explicit Alarm(std::chrono::milliseconds limit) {
    struct sigaction action {};
    action.sa_handler = on_claim_alarm; // no SA_RESTART: the blocked call must return EINTR
    sigemptyset(&action.sa_mask);
    installed_ = ::sigaction(SIGALRM, &action, &previous_) == 0;
    sigevent event{};
    event.sigev_notify = SIGEV_THREAD_ID;
    event.sigev_signo = SIGALRM;
    event._sigev_un._tid = ::gettid(); // glibc names no field for it
    armed_ = installed_ && ::timer_create(CLOCK_MONOTONIC, &event, &timer_) == 0;
    const itimerspec when{as_timespec(refire), as_timespec(limit)};
    armed_ = armed_ && ::timer_settime(timer_, 0, &when, nullptr) == 0;
  }
  Alarm(const Alarm&) = delete;
  Alarm& operator=(const Alarm&) = delete;
  ~Alarm() {
    if (armed_) {
      ::timer_delete(timer_);
    }
    if (installed_) {
      ::sigaction(SIGALRM, &previous_, nullptr);
    }
  }
  [[nodiscard]] bool armed() const { return armed_; }

private:
  struct sigaction previous_ {};
  timer_t timer_{};
  bool installed_ = false;
  bool armed_ = false;
};

} // namespace

// Compared in seconds: a limit of many years would overflow in milliseconds.
Scope::Scope(std::chrono::seconds limit)
    : previous_(std::exchange(current_limit,
                              limit >= std::chrono::duration_cast<std::chrono::seconds>(longest)
                                  ? longest
                                  : std::chrono::milliseconds(limit))) {}

Scope::~Scope() {
  current_limit = previous_;
}

Deadline deadline() {
  return Clock::now() + current_limit;
}

std::expected<UniqueFd, std::error_code> open(const char* path, int flags, Deadline deadline) {
  constexpr auto pace = 20ms;
  for (;;) {
    UniqueFd fd{::open(path, flags)};
    if (fd.valid()) {
      return fd;
    }
    if (errno != EBUSY || Clock::now() + pace > deadline) {
      return std::unexpected(last_error());
    }
    std::this_thread::sleep_for(pace);
  }
}

std::expected<void, std::error_code> lock(int fd, Deadline deadline) {
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
    return {};
  }
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
  if (errno != EWOULDBLOCK || left <= 0ms) {
    return std::unexpected(last_error());
  }
  const Alarm alarm(left);
  if (!alarm.armed()) {
    return std::unexpected(last_error());
  }
  for (;;) {
    if (::flock(fd, LOCK_EX) == 0) {
      return {};
    }
    if (errno != EINTR) {
      return std::unexpected(last_error());
    }
    if (Clock::now() >= deadline) {
      return std::unexpected(std::make_error_code(std::errc::operation_would_block));
    }
  }
}

} // namespace zelkor::utils::claim_wait
