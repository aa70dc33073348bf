#include "board.h"

#include "port.h"
#include "testbed.h"
#include "wiring.h"

#include <array>
#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <unistd.h>

extern char** environ;

namespace zelkor::sim {
namespace {

constexpr std::string_view preload = "libumockdev-preload.so.0";

std::size_t index(PortId port) {
  return port == PortId::can ? 0 : 1;
}

// What a test asked of a port, replayed onto the port that a replug brings.
struct Script {
  std::map<std::string, Reply, std::less<>> answers;
  bool silent = false;
  bool flooding = false;
  bool stopped = false;
  std::vector<std::string> frames;
  std::chrono::milliseconds interval{0};
};

std::string variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

} // namespace

struct Board::Impl {
  BoardOptions options;
  std::vector<std::string> environment;
  mutable std::mutex mutex;
  Testbed bed;
  NodeNames names;
  Plugged plugged;
  std::array<Script, 2> scripts;
  std::array<std::shared_ptr<Port>, 2> ports; // kept after unplug for received()

  explicit Impl(BoardOptions chosen) : options(chosen) {
    auto asan = variable("ASAN_OPTIONS");
    auto preloaded = variable("LD_PRELOAD");
    environment = {
        "LD_PRELOAD=" + std::string(preload) + (preloaded.empty() ? "" : ":" + preloaded),
        "UMOCKDEV_DIR=" + bed.root(),
        // A sanitized program insists on its runtime being loaded first, which the preload
        // is not; it works regardless.
        "ASAN_OPTIONS=" + (asan.empty() ? "" : asan + ":") + "verify_asan_link_order=0",
    };
    add_bystanders(bed, names, options.topology, options.extra_ttys);
    plug();
  }

  ~Impl() { unplug(); }

  void plug() {
    plugged = plug_board(bed, names, options.topology);
    for (std::size_t i = 0; i < ports.size() && i < plugged.ports.size(); ++i) {
      start(i, plugged.ports[i]);
    }
  }

  void start(std::size_t i, const TtyDevice& tty) {
    auto id = i == 0 ? PortId::can : PortId::terminal;
    Fallback fallback;
    if (options.default_firmware) {
      fallback = default_firmware(id, options.style);
      if (id == PortId::can && scripts[i].frames.empty()) {
        scripts[i].frames = default_can_frames();
        scripts[i].interval = default_can_interval;
      }
    }
    char slave[128] = {};
    ptsname_r(tty.master, slave, sizeof slave);
    auto port = std::make_shared<Port>(tty.master, slave, std::move(fallback));
    const auto& script = scripts[i];
    for (const auto& [command, reply] : script.answers) {
      port->answer(command, reply);
    }
    port->set_silent(script.silent);
    port->flood(script.flooding);
    port->stop_reading(script.stopped);
    if (!script.frames.empty()) {
      port->stream(script.frames, script.interval);
    }
    ports[i] = std::move(port);
  }

  void unplug() {
    for (auto& port : ports) {
      if (port) {
        port->stop(); // the firmware lets go of the master before it closes
      }
    }
    unplug_board(bed, plugged);
    plugged = {};
  }

  Port* port(PortId id) const { return ports[index(id)].get(); }

  void clear_ports() {
    for (auto& port : ports) {
      port.reset();
    }
  }

  std::vector<std::string> child_environment() const {
    std::vector<std::string> env;
    for (char** entry = environ; *entry != nullptr; ++entry) {
      std::string_view text(*entry);
      if (!text.starts_with("LD_PRELOAD=") && !text.starts_with("UMOCKDEV_DIR=") &&
          !text.starts_with("ASAN_OPTIONS=")) {
        env.emplace_back(text);
      }
    }
    env.insert(env.end(), environment.begin(), environment.end());
    return env;
  }
};

Board::Board(BoardOptions options) : impl_(std::make_unique<Impl>(options)) {}

Board::~Board() = default;

std::string Board::node(PortId port) const {
  std::lock_guard lock(impl_->mutex);
  auto i = index(port);
  return i < impl_->plugged.ports.size() ? impl_->plugged.ports[i].node : "";
}

std::string Board::root() const {
  return impl_->bed.root();
}

void Board::answer(PortId port, std::string command, Reply reply) {
  std::lock_guard lock(impl_->mutex);
  impl_->scripts[index(port)].answers.insert_or_assign(command, reply);
  if (auto* p = impl_->port(port)) {
    p->answer(std::move(command), std::move(reply));
  }
}

void Board::set_silent(PortId port, bool silent) {
  std::lock_guard lock(impl_->mutex);
  impl_->scripts[index(port)].silent = silent;
  if (auto* p = impl_->port(port)) {
    p->set_silent(silent);
  }
}

void Board::flood(PortId port, bool on) {
  std::lock_guard lock(impl_->mutex);
  impl_->scripts[index(port)].flooding = on;
  if (auto* p = impl_->port(port)) {
    p->flood(on);
  }
}

void Board::stop_reading(PortId port, bool stopped) {
  std::lock_guard lock(impl_->mutex);
  impl_->scripts[index(port)].stopped = stopped;
  if (auto* p = impl_->port(port)) {
    p->stop_reading(stopped);
  }
}

void Board::stream(PortId port, std::vector<std::string> frames,
                   std::chrono::milliseconds interval) {
  std::lock_guard lock(impl_->mutex);
  auto& script = impl_->scripts[index(port)];
  script.frames = frames;
  script.interval = interval;
  if (auto* p = impl_->port(port)) {
    p->stream(std::move(frames), interval);
  }
}

void Board::push(PortId port, std::string bytes) {
  std::lock_guard lock(impl_->mutex);
  if (auto* p = impl_->port(port)) {
    p->push(std::move(bytes));
  }
}

std::string Board::received(PortId port) const {
  std::lock_guard lock(impl_->mutex);
  auto* p = impl_->port(port);
  return p != nullptr ? p->received() : "";
}

bool Board::wait_received(PortId port, std::string_view expected,
                          std::chrono::milliseconds max) const {
  std::shared_ptr<Port> p;
  {
    std::lock_guard lock(impl_->mutex);
    p = impl_->ports[index(port)];
  }
  // Waits without the board's lock, so the firmware and other callers go on meanwhile.
  return p != nullptr && p->wait_received(expected, max);
}

termios Board::line_settings(PortId port) const {
  std::lock_guard lock(impl_->mutex);
  auto* p = impl_->port(port);
  return p != nullptr ? p->line_settings() : termios{};
}

void Board::unplug() {
  std::lock_guard lock(impl_->mutex);
  impl_->unplug();
}

void Board::replug() {
  std::lock_guard lock(impl_->mutex);
  impl_->unplug();
  impl_->clear_ports();
  impl_->plug();
}

Board::Result Board::run(std::vector<std::string> argv, std::chrono::milliseconds max) {
  return spawn(std::move(argv)).wait(max);
}

Board::Child Board::spawn(std::vector<std::string> argv, bool capture) {
  if (argv.empty()) {
    throw std::invalid_argument("no program to run");
  }
  return Child(argv, impl_->child_environment(), capture);
}

std::vector<std::string> Board::environment() const {
  return impl_->environment;
}

} // namespace zelkor::sim
