#include "utils/listen.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <system_error>
#include <vector>

#include <fmt/format.h>

#include "utils/zlkr.h"

namespace zelkor::utils::listen {
namespace {

using Clock = std::chrono::steady_clock;

// How long the next read may wait: until the idle time since `last_active` is up, or for ever.
std::uint64_t wait_ms(std::optional<std::uint64_t> idle_ms, Clock::time_point last_active) {
  if (!idle_ms) {
    return std::numeric_limits<std::uint64_t>::max();
  }
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(
      last_active + std::chrono::milliseconds(*idle_ms) - Clock::now());
  return static_cast<std::uint64_t>(std::max<std::int64_t>(0, left.count()));
}

// For the loop's lifetime, Ctrl-C also ends a write that waits on a stalled reader; afterwards
// the output waits for its reader as usual again.
class GiveUpOnCtrlC {
public:
  GiveUpOnCtrlC(output::Sink& out, const ctrlc::Watch& watch) : out_(out) {
    out_.give_up_on(watch.wake_fd());
  }
  GiveUpOnCtrlC(const GiveUpOnCtrlC&) = delete;
  GiveUpOnCtrlC& operator=(const GiveUpOnCtrlC&) = delete;
  ~GiveUpOnCtrlC() { out_.give_up_on(-1); }

private:
  output::Sink& out_;
};

} // namespace

End run(serial::Port& port, const ctrlc::Watch& watch, Options options, output::Sink& out,
        const Consumer& consume) {
  std::vector<char> buffer(options.read_size);
  auto last_active = Clock::now();
  const GiveUpOnCtrlC give_up(out, watch);
  while (watch.running()) {
    // No CPU while the port is quiet, and Ctrl-C or a reader that went away (`| head -1`) ends
    // the loop at once, releasing the port, instead of at the next traffic.
    const auto count =
        port.read_some(buffer, wait_ms(options.idle_ms, last_active), watch.wake_fd(), out.fd());
    if (!count) {
      if (count.error() == std::errc::timed_out && options.idle_ms &&
          wait_ms(options.idle_ms, last_active) == 0) {
        break; // quiet for the idle time
      }
      if (count.error() == std::errc::interrupted || count.error() == std::errc::timed_out) {
        continue; // Ctrl-C (the loop ends) or another signal: neither is a port error
      }
      if (count.error() == std::errc::broken_pipe) {
        out.reader_gone(); // the sink records it, so the run ends as for a failed write
        return End::output_failed;
      }
      // Standard output keeps the traffic as it came; why it ended goes beside it.
      fmt::print(stderr, "{}\n", zlkr::port_lost(port.path(), count.error()));
      return End::port_failed;
    }
    const Reply reply = consume(std::string_view(buffer.data(), *count));
    if (reply.active) {
      last_active = Clock::now();
    }
    // Unbuffered: a pipe or `tail -f` sees each read's text as soon as it came.
    if (!reply.text.empty() && !out.write(reply.text)) {
      return End::output_failed;
    }
    if (reply.last) {
      break;
    }
  }
  return End::interrupted;
}

} // namespace zelkor::utils::listen
