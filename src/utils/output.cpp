#include "utils/output.h"

#include <poll.h>
#include <unistd.h>

#include <array>
#include <cerrno>

namespace zelkor::utils::output {

bool Sink::write(std::string_view bytes) noexcept {
  while (ok() && !bytes.empty()) {
    if (give_up_fd_ >= 0 && !wait_writable()) {
      return true; // Ctrl-C while the reader stalled: the run ends, as asked
    }
    const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
    if (written >= 0) {
      bytes.remove_prefix(static_cast<std::size_t>(written));
      continue;
    }
    if (errno == EINTR) {
      continue;
    }
    if (errno == EAGAIN) { // a descriptor inherited in non-blocking mode: wait until it takes more
      if (give_up_fd_ < 0) {
        pollfd ready{.fd = fd_, .events = POLLOUT, .revents = 0};
        (void)::poll(&ready, 1, -1);
      }
      continue;
    }
    return fail(std::error_code(errno, std::system_category()));
  }
  return ok();
}

bool Sink::wait_writable() const noexcept {
  if (fd_ < 0) {
    return true; // nothing to wait for: the write reports the missing descriptor
  }
  std::array<pollfd, 2> fds{pollfd{.fd = fd_, .events = POLLOUT, .revents = 0},
                            pollfd{.fd = give_up_fd_, .events = POLLIN, .revents = 0}};
  for (;;) {
    if (::poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) {
        continue;
      }
      return true; // the write itself reports what is wrong
    }
    if ((fds[1].revents & POLLIN) != 0) {
      return false;
    }
    if (fds[0].revents != 0) {
      return true; // room, or an error the write will report
    }
  }
}

bool Sink::line(std::string_view text) noexcept {
  return print("{}\n", text);
}

bool Sink::reader_gone() noexcept {
  pollfd state{.fd = fd_, .events = 0, .revents = 0};
  if (!ok() || ::poll(&state, 1, 0) != 1) {
    return closed();
  }
  if ((state.revents & POLLNVAL) != 0) { // no descriptor at all: nothing can ever be written
    fail(std::make_error_code(std::errc::bad_file_descriptor));
  } else if ((state.revents & (POLLHUP | POLLERR)) != 0) {
    fail(std::make_error_code(std::errc::broken_pipe));
  }
  return closed();
}

bool Sink::fail(std::error_code error) noexcept {
  if (ok()) {
    error_ = error;
  }
  return false;
}

std::optional<std::string> failure_message(const Sink& sink) {
  if (sink.ok() || sink.closed()) {
    return std::nullopt;
  }
  return fmt::format("zelkor: cannot write output: {}", sink.error().message());
}

} // namespace zelkor::utils::output
