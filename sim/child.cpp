#include "child.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace zelkor::sim {
namespace {

// Closes a descriptor it owns.
struct Fd {
  int fd = -1;
  Fd() = default;
  explicit Fd(int value) : fd(value) {}
  Fd(Fd&& other) noexcept : fd(std::exchange(other.fd, -1)) {}
  Fd& operator=(Fd&& other) noexcept {
    std::swap(fd, other.fd);
    return *this;
  }
  ~Fd() {
    if (fd >= 0) {
      close(fd);
    }
  }
};

std::array<Fd, 2> make_pipe() {
  std::array<int, 2> ends{};
  if (pipe2(ends.data(), O_CLOEXEC) != 0) {
    throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
  }
  return {Fd(ends[0]), Fd(ends[1])};
}

std::vector<char*> c_strings(const std::vector<std::string>& texts) {
  std::vector<char*> result;
  for (const auto& text : texts) {
    result.push_back(const_cast<char*>(text.c_str()));
  }
  result.push_back(nullptr);
  return result;
}

int exit_status(int raw) {
  if (WIFEXITED(raw)) {
    return WEXITSTATUS(raw);
  }
  return WIFSIGNALED(raw) ? 128 + WTERMSIG(raw) : -1;
}

} // namespace

struct Child::State {
  pid_t pid = -1;
  Fd pidfd;
  bool reaped = false;
  int status = -1;
  mutable std::mutex mutex;
  std::string out;
  std::string err;
  std::jthread reader;

  // Drains both pipes until the program and everything it started close them.
  void read_output(Fd out_fd, Fd err_fd) {
    std::array<pollfd, 2> fds{{{out_fd.fd, POLLIN, 0}, {err_fd.fd, POLLIN, 0}}};
    std::array<std::string*, 2> sinks{&out, &err};
    std::array<char, 4096> buffer{};
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
      if (poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR) {
        return;
      }
      for (std::size_t i = 0; i < fds.size(); ++i) {
        if (fds[i].revents == 0) {
          continue;
        }
        auto count = ::read(fds[i].fd, buffer.data(), buffer.size());
        if (count <= 0) {
          fds[i].fd = -1;
          continue;
        }
        std::lock_guard lock(mutex);
        sinks[i]->append(buffer.data(), static_cast<std::size_t>(count));
      }
    }
  }

  void reap() {
    if (reaped) {
      return;
    }
    int raw = 0;
    while (waitpid(pid, &raw, 0) < 0 && errno == EINTR) {
    }
    status = exit_status(raw);
    reaped = true;
    if (reader.joinable()) {
      reader.join();
    }
  }
};

Child::Child(const std::vector<std::string>& argv, const std::vector<std::string>& env,
             bool capture)
    : state_(std::make_unique<State>()) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  std::array<Fd, 2> out{}, err{};
  if (capture) {
    out = make_pipe();
    err = make_pipe();
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1].fd, 1);
    posix_spawn_file_actions_adddup2(&actions, err[1].fd, 2);
  }
  // Descriptors the test process left inheritable (umockdev's among them) stay behind.
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  // The program gets the signal handling a shell would give it, whatever the caller blocked.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  for (int number : {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGQUIT}) {
    sigaddset(&defaults, number);
  }
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  auto args = c_strings(argv);
  auto envp = c_strings(env);
  int failed = posix_spawnp(&state_->pid, args[0], &actions, &attributes, args.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (failed != 0) {
    throw std::runtime_error("cannot start " + argv.front() + ": " + std::strerror(failed));
  }
  state_->pidfd = Fd(static_cast<int>(syscall(SYS_pidfd_open, state_->pid, 0)));
  if (capture) {
    state_->reader = std::jthread(
        [state = state_.get(), o = std::move(out[0]), e = std::move(err[0])]() mutable {
          state->read_output(std::move(o), std::move(e));
        });
  }
}

Child::~Child() {
  if (state_ && !state_->reaped) {
    kill(state_->pid, SIGKILL);
    state_->reap();
  }
}

Child::Child(Child&&) noexcept = default;
Child& Child::operator=(Child&& other) noexcept {
  if (this != &other) {
    Child dying(std::move(*this));
    state_ = std::move(other.state_);
  }
  return *this;
}

pid_t Child::pid() const {
  return state_->pid;
}

void Child::signal(int number) {
  if (!state_->reaped) {
    kill(state_->pid, number);
  }
}

bool Child::wait_exit(std::chrono::milliseconds max) {
  if (state_->reaped) {
    return true;
  }
  pollfd ready{state_->pidfd.fd, POLLIN, 0};
  auto deadline = std::chrono::steady_clock::now() + max;
  while (true) {
    auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    int n = poll(&ready, 1, static_cast<int>(std::max<long>(0, left.count())));
    if (n > 0) {
      state_->reap();
      return true;
    }
    if (n == 0) {
      return false;
    }
    if (errno != EINTR) {
      return false;
    }
  }
}

Result Child::wait(std::chrono::milliseconds max) {
  if (!wait_exit(max)) {
    kill(state_->pid, SIGKILL);
    state_->reap();
  }
  std::lock_guard lock(state_->mutex);
  return {state_->status, state_->out, state_->err};
}

std::string Child::out_so_far() const {
  std::lock_guard lock(state_->mutex);
  return state_->out;
}

std::string Child::err_so_far() const {
  std::lock_guard lock(state_->mutex);
  return state_->err;
}

} // namespace zelkor::sim
