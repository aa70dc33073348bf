#pragma once
// Where handlers put their results. A write that fails (a full disk, a closed pipe) must make
// the run fail instead of passing for success, and must never throw out of a handler or abort
// the process: the sink remembers the first failure, writes nothing after it, and the program
// ends with status 1 once the handler returns.

#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include <fmt/format.h>

#include "utils/unique_fd.h"

namespace zelkor::utils::output {

class Sink {
public:
  // Writes to `fd`, which stays the caller's (standard output).
  explicit Sink(int fd) noexcept : fd_(fd) {}
  // Writes to `owned` and closes it with the sink (an output file).
  explicit Sink(UniqueFd owned) noexcept : owned_(std::move(owned)), fd_(owned_.get()) {}

  // Writes every byte in as many calls as the descriptor needs. False once anything failed.
  bool write(std::string_view bytes) noexcept;

  // `text` and a line break, in one write.
  bool line(std::string_view text) noexcept;

  template <typename... Args>
  bool print(fmt::format_string<Args...> format, Args&&... args) noexcept {
    try {
      fmt::memory_buffer buffer;
      fmt::format_to(std::back_inserter(buffer), format, std::forward<Args>(args)...);
      return write(std::string_view(buffer.data(), buffer.size()));
    } catch (...) { // only an allocation can fail here
      return fail(std::make_error_code(std::errc::not_enough_memory));
    }
  }

  // While `fd` is not -1, a write that has to wait for the reader also watches `fd`, and once it
  // is readable (Ctrl-C) gives up on the rest: a stalled reader (`| less` left on one page)
  // cannot hold the run, and the port, for ever. What is given up is not a failure.
  void give_up_on(int fd) noexcept { give_up_fd_ = fd; }

  // The descriptor written to, for a loop that waits on it going away.
  [[nodiscard]] int fd() const noexcept { return fd_; }
  // True, and remembered as a closed pipe, once the reader went away (the descriptor reports a
  // hang-up or an error): a loop that prints only when data comes can stop without waiting
  // for its next write to fail. A descriptor that is not open is remembered as a failure.
  bool reader_gone() noexcept;

  [[nodiscard]] bool ok() const noexcept { return !error_; }
  // The first failure; empty while everything was written.
  [[nodiscard]] std::error_code error() const noexcept { return error_; }
  // The reader went away (EPIPE): the run ends quietly.
  [[nodiscard]] bool closed() const noexcept { return error_ == std::errc::broken_pipe; }

private:
  bool fail(std::error_code error) noexcept;
  // Waits until `fd_` takes more bytes: false when `give_up_fd_` became readable first.
  bool wait_writable() const noexcept;

  UniqueFd owned_;
  int fd_;
  int give_up_fd_ = -1;
  std::error_code error_;
};

// The one line that reports a failed sink on standard error ("zelkor: cannot write output: No
// space left on device"), or nothing when all was written or the reader closed the pipe.
std::optional<std::string> failure_message(const Sink& sink);

} // namespace zelkor::utils::output
