#include "update/update.h"

#include <unistd.h>

#include <chrono>
#include <expected>
#include <optional>
#include <string_view>
#include <thread>

#include "update/image.h"
#include "update/interrupt.h"
#include "update/reset_watch.h"
#include "update/update_text.h"
#include "utils/firmware.h"
#include "utils/ports.h"
#include "utils/serial.h"
#include "utils/zlkr.h"

namespace zelkor::update {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
namespace serial = utils::serial;

constexpr std::uint64_t terminal_timeout_ms = 100;
// Bounds every wait for the bootloader to take bytes, and the final drain.
constexpr std::uint64_t bootloader_timeout_ms = 30'000;
constexpr WaitLimits limits{};
// Between two discoveries: quick enough to see a restart, without spinning a core for 7 s.
constexpr auto discovery_pace = 5ms;
constexpr auto claim_pace = 50ms;
// The progress on a terminal moves on in steps of this many bytes.
constexpr std::size_t image_chunk = 4096;

std::uint8_t failed(utils::output::Sink& out, std::string_view message) {
  out.line(message);
  return 1;
}

// The second Ctrl-C: the status a shell gives a run that SIGINT ended.
std::uint8_t stopped(utils::output::Sink& out) {
  out.line(interrupted);
  return 130;
}

std::optional<std::vector<serial::PortIdentity>> discover() {
  return serial::find_ports(utils::firmware::vendor_id, utils::firmware::product_id);
}

// Asks the running firmware to restart into its bootloader, on its terminal port.
std::expected<void, std::string> launch_bootloader(const std::string& terminal,
                                                   utils::output::Sink& out) {
  auto port = serial::claim(terminal, terminal_timeout_ms);
  if (!port) {
    return std::unexpected(std::string(utils::zlkr::kind_claim_failed));
  }
  out.line(starting);
  if (!port->write("launch-bootloader")) {
    return std::unexpected(std::string(utils::zlkr::write_failed));
  }
  return {};
}

// Why the update stopped before the image was written.
enum class Stop { timed_out, interrupted };

// The bootloader's two ports, or why there are none.
std::expected<serial::PortList, Stop>
wait_for_bootloader(std::vector<serial::PortIdentity> firmware, Clock::time_point start,
                    const TwoStageCtrlC& ctrl_c) {
  ResetWatch watch(std::move(firmware), limits);
  for (;;) {
    if (ctrl_c.stop_requested()) {
      return std::unexpected(Stop::interrupted);
    }
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    const auto verdict = watch.observe(discover(), elapsed);
    if (const auto* ready = std::get_if<Ready>(&verdict)) {
      return ready->ports;
    }
    if (std::holds_alternative<TimedOut>(verdict)) {
      return std::unexpected(Stop::timed_out);
    }
    std::this_thread::sleep_for(discovery_pace);
  }
}

// A node can be listed a moment before it can be opened: tried again until `deadline`.
std::expected<serial::Port, Stop> attach(const std::string& node, Clock::time_point deadline,
                                         const TwoStageCtrlC& ctrl_c) {
  for (;;) {
    auto port = serial::claim(node, bootloader_timeout_ms);
    if (port) {
      return std::move(*port);
    }
    if (ctrl_c.stop_requested()) {
      return std::unexpected(Stop::interrupted);
    }
    if (Clock::now() >= deadline) {
      return std::unexpected(Stop::timed_out);
    }
    std::this_thread::sleep_for(claim_pace);
  }
}

// Shows how far the image got on standard error when that is a terminal; a log or a script
// gets nothing extra.
class Progress {
public:
  explicit Progress(std::uint64_t total) : total_(total), shown_(::isatty(STDERR_FILENO) == 1) {}
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;
  ~Progress() {
    if (shown_ && percent_ >= 0) {
      err_.write("\n");
    }
  }

  void sent(std::uint64_t bytes) {
    const auto percent = static_cast<int>(bytes * 100 / total_);
    if (shown_ && percent != percent_) {
      percent_ = percent;
      err_.write(progress_line(bytes, total_)); // a failed write only loses the progress
    }
  }

private:
  std::uint64_t total_;
  bool shown_;
  int percent_ = -1;
  utils::output::Sink err_{STDERR_FILENO};
};

std::expected<void, std::error_code> send_image(serial::Port& port, std::string_view image,
                                                int wake_fd) {
  Progress progress(image.size());
  for (std::size_t sent = 0; sent < image.size();) {
    const auto chunk = image.substr(sent, image_chunk);
    if (auto written = port.write(chunk, wake_fd); !written) {
      return written;
    }
    sent += chunk.size();
    progress.sent(sent);
  }
  return {};
}

// The bootloader's commands and the image; done once the port has sent every byte. A second
// Ctrl-C ends any wait on the port at once (std::errc::interrupted).
std::expected<void, std::error_code> flash(serial::Port& port, std::string_view image,
                                           utils::output::Sink& out, const TwoStageCtrlC& ctrl_c) {
  out.line(performing);
  for (const auto step : steps) {
    out.line(step_line(step));
    if (auto written = port.write(step, ctrl_c.wake_fd()); !written) {
      return written;
    }
  }
  out.line(writing);
  if (auto sent = send_image(port, image, ctrl_c.wake_fd()); !sent) {
    return sent;
  }
  return port.drain(ctrl_c.wake_fd());
}

// From the restart request on, an update ends only by completing, by failing, or by a second
// Ctrl-C (status 130); the microcontroller is left in its bootloader by the last two.
std::uint8_t restart_and_flash(std::vector<serial::PortIdentity> firmware,
                               const std::string& terminal, std::string_view image,
                               utils::output::Sink& out) {
  const TwoStageCtrlC ctrl_c;
  if (auto launched = launch_bootloader(terminal, out); !launched) {
    return failed(out, launched.error());
  }
  out.line(waiting);
  const auto start = Clock::now();
  const auto bootloader = wait_for_bootloader(std::move(firmware), start, ctrl_c);
  if (!bootloader) {
    return bootloader.error() == Stop::interrupted ? stopped(out) : failed(out, timed_out);
  }
  out.line(attaching);
  auto port = attach((*bootloader)[utils::firmware::bootloader_port], start + limits.limit, ctrl_c);
  if (!port) {
    return port.error() == Stop::interrupted ? stopped(out)
                                             : failed(out, utils::zlkr::kind_claim_failed);
  }
  if (auto flashed = flash(*port, image, out, ctrl_c); !flashed) {
    return flashed.error() == std::errc::interrupted ? stopped(out)
                                                     : failed(out, utils::zlkr::write_failed);
  }
  out.line(complete);
  return 0;
}

} // namespace

std::uint8_t handler(Options options, utils::output::Sink& out) {
  out.line(reading);
  const auto image = read_image(options.input);
  if (!image) {
    return failed(out, image.error());
  }
  out.line(detecting);
  // udev that cannot be asked finds no port, as for every other command.
  auto firmware = discover().value_or(std::vector<serial::PortIdentity>{});
  // Any count but two gets get_ports' text.
  const auto ports = utils::ports::judge_count(serial::nodes_of(firmware));
  if (!ports) {
    return failed(out, ports.error());
  }
  if (!out.ok()) {
    return 1; // nobody would learn how an update started now ends
  }
  return restart_and_flash(std::move(firmware), (*ports)[utils::firmware::terminal_port], *image,
                           out);
}

} // namespace zelkor::update
