#pragma once
// A program running under the simulated board, with its output captured or passed through.

#include <chrono>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

namespace zelkor::sim {

// How a program ended: `status` is its exit status, or 128 + the signal that ended it.
struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

// A running program. Destroying it kills (SIGKILL) and reaps the program if still running.
class Child {
public:
  // `capture`: read its stdout and stderr (stdin is /dev/null); otherwise it shares ours.
  Child(const std::vector<std::string>& argv, const std::vector<std::string>& env, bool capture);
  ~Child();
  Child(Child&&) noexcept;
  Child& operator=(Child&&) noexcept;

  [[nodiscard]] pid_t pid() const;
  void signal(int number);
  // Waits up to `max` for the program to end, without killing it; true once it has ended.
  bool wait_exit(std::chrono::milliseconds max);
  // Waits up to `max`, kills the program on time-out, reaps it and returns everything it wrote.
  Result wait(std::chrono::milliseconds max);
  [[nodiscard]] std::string out_so_far() const;
  [[nodiscard]] std::string err_so_far() const;

private:
  struct State;
  std::unique_ptr<State> state_;
};

} // namespace zelkor::sim
