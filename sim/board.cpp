#include "board.h"

#include "port.h"
#include "restart.h"
#include "testbed.h"
#include "wiring.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace zelkor::sim {
namespace {

constexpr std::string_view preload = "libumockdev-preload.so.0";
constexpr std::string_view launch_bootloader = "launch-bootloader";

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

std::string slave_of(const TtyDevice& tty) {
  std::array<char, 128> slave{};
  ptsname_r(tty.master, slave.data(), slave.size());
  return slave.data();
}

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
  // The restart into the bootloader: the firmware's device while it is away, then the
  // bootloader's device and ports.
  std::optional<Plugged> away;
  Plugged bootloader;
  std::array<std::shared_ptr<Port>, 2> bootloader_ports;
  std::unique_ptr<Restarter> restarter;

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
    restarter = std::make_unique<Restarter>(
        options.bootloader, Restarter::Steps{[this] { go_away(); }, [this] { come_back(); },
                                             [this] { make_openable(); }});
    plug();
  }

  ~Impl() {
    restarter.reset(); // before anything it would touch goes
    unplug();
  }

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
    if (id == PortId::terminal) {
      fallback = restarting_on_command(std::move(fallback));
    }
    // The CAN port's frame commands are answered at once, as the controller does.
    CommandEnd command_end;
    if (id == PortId::can) {
      command_end = is_frame_command;
    }
    auto port = std::make_shared<Port>(tty.master, slave_of(tty), std::move(fallback),
                                       std::move(command_end));
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

  // The firmware as the hardware has it: "launch-bootloader" restarts the board, whatever
  // else answers the terminal port.
  Fallback restarting_on_command(Fallback firmware) {
    return
        [this, firmware = std::move(firmware)](std::string_view command) -> std::optional<Reply> {
          if (command == launch_bootloader) {
            restarter->request(); // never waits: this runs on the port's own thread
            return std::nullopt;
          }
          return firmware ? firmware(command) : std::nullopt;
        };
  }

  void unplug() {
    for (auto* group : {&ports, &bootloader_ports}) {
      for (auto& port : *group) {
        if (port) {
          port->stop(); // the firmware lets go of the master before it closes
        }
      }
    }
    unplug_board(bed, plugged);
    unplug_board(bed, bootloader);
    plugged = {};
    bootloader = {};
    away.reset(); // an unplugged board does not come back by itself
  }

  void go_away() {
    std::lock_guard lock(mutex);
    if (plugged.ports.empty()) {
      return;
    }
    Plugged firmware = plugged;
    unplug();
    away = std::move(firmware);
  }

  void come_back() {
    std::lock_guard lock(mutex);
    if (!away) {
      return;
    }
    bootloader = plug_again(bed, names, *away, options.bootloader.unopenable_for.count() == 0);
    away.reset();
    for (std::size_t i = 0; i < bootloader_ports.size() && i < bootloader.ports.size(); ++i) {
      auto port = std::make_shared<Port>(bootloader.ports[i].master, slave_of(bootloader.ports[i]),
                                         Fallback{});
      port->stop_reading(options.bootloader.stalled);
      bootloader_ports[i] = std::move(port);
    }
  }

  void make_openable() {
    std::lock_guard lock(mutex);
    for (const auto& tty : bootloader.ports) {
      bed.set_openable(tty, true);
    }
  }

  Port* port(PortId id) const { return ports[index(id)].get(); }

  void clear_ports() {
    for (auto* group : {&ports, &bootloader_ports}) {
      for (auto& port : *group) {
        port.reset();
      }
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
  const auto& present =
      impl_->plugged.ports.empty() ? impl_->bootloader.ports : impl_->plugged.ports;
  return i < present.size() ? present[i].node : "";
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

void Board::refuse_input_after(PortId port, std::string command) {
  std::lock_guard lock(impl_->mutex);
  if (auto* p = impl_->port(port)) {
    p->refuse_input_after(std::move(command));
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

void Board::pour(PortId port, std::size_t count) {
  std::lock_guard lock(impl_->mutex);
  if (auto* p = impl_->port(port)) {
    p->pour(count);
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

std::string Board::bootloader_received(PortId port) const {
  std::lock_guard lock(impl_->mutex);
  const auto& p = impl_->bootloader_ports[index(port)];
  return p != nullptr ? p->received() : "";
}

std::size_t Board::bootloader_output_queries(PortId port) const {
  std::lock_guard lock(impl_->mutex);
  const auto& ports = impl_->bootloader.ports;
  const auto i = index(port);
  return i < ports.size() ? impl_->bed.ioctl_count(ports[i].node, TIOCOUTQ) : 0;
}

bool Board::wait_bootloader_received(PortId port, std::string_view expected,
                                     std::chrono::milliseconds max) const {
  const auto deadline = std::chrono::steady_clock::now() + max;
  std::shared_ptr<Port> p;
  // The bootloader may still be on its way back.
  while (p == nullptr && std::chrono::steady_clock::now() < deadline) {
    {
      std::lock_guard lock(impl_->mutex);
      p = impl_->bootloader_ports[index(port)];
    }
    if (p == nullptr) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - std::chrono::steady_clock::now());
  return p != nullptr && p->wait_received(expected, std::max(left, std::chrono::milliseconds(0)));
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
