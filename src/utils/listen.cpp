#include "utils/listen.h"

#include <cstdint>
#include <limits>
#include <system_error>
#include <vector>

namespace zelkor::utils::listen {

End run(serial::Port& port, const ctrlc::Watch& watch, Options options, output::Sink& out,
        const Consumer& consume) {
  constexpr auto no_time_limit = std::numeric_limits<std::uint64_t>::max();
  std::vector<char> buffer(options.read_size);
  while (watch.running()) {
    // No CPU while the port is quiet, and Ctrl-C or a reader that went away (`| head -1`) ends
    // the loop at once, releasing the port, instead of at the next traffic.
    const auto count = port.read_some(buffer, no_time_limit, watch.wake_fd(), out.fd());
    if (!count) {
      if (count.error() == std::errc::interrupted || count.error() == std::errc::timed_out) {
        continue; // Ctrl-C (the loop ends) or another signal: neither is a port error
      }
      if (count.error() == std::errc::broken_pipe) {
        out.reader_gone(); // the sink records it, so the run ends as for a failed write
        return End::output_failed;
      }
      return End::port_failed;
    }
    const Reply reply = consume(std::string_view(buffer.data(), *count));
    // Unbuffered: a pipe or `tail -f` sees each read's text as soon as it came.
    if (!reply.text.empty() && !out.write(reply.text)) {
      return End::output_failed;
    }
  }
  return End::interrupted;
}

} // namespace zelkor::utils::listen
