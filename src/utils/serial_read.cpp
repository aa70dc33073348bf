// Taking answers from a claimed port.
#include <array>
#include <chrono>
#include <limits>

#include "utils/chunk.h"
#include "utils/serial.h"

namespace zelkor::utils::serial {
namespace {

using Clock = std::chrono::steady_clock;

// A flooding port must not exhaust memory; no real answer comes near this.
constexpr std::size_t max_answer_bytes = std::size_t{1} << 20;

// A busy port must not keep an answer open for ever: after this long, what came is the answer.
std::chrono::milliseconds overall_limit(std::uint64_t timeout_ms) {
  constexpr std::uint64_t floor_ms = 1000;
  constexpr std::uint64_t cap_ms = std::numeric_limits<std::uint32_t>::max();
  const std::uint64_t scaled = timeout_ms > cap_ms / 20 ? cap_ms : timeout_ms * 20;
  return std::chrono::milliseconds(std::max(floor_ms, scaled));
}

std::uint64_t ms_until(Clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
  return static_cast<std::uint64_t>(std::max<std::int64_t>(0, left.count()));
}

} // namespace

std::expected<std::string, ReadError> read(Port& port, std::uint64_t truncate) {
  const auto deadline = Clock::now() + overall_limit(port.timeout_ms());
  std::string collected;
  std::array<char, 4096> buffer{};
  while (Clock::now() < deadline) {
    const auto count = port.read_some(buffer, std::min(port.timeout_ms(), ms_until(deadline)));
    if (!count) {
      if (count.error() == std::errc::timed_out) {
        break; // a full time-out of silence ends the answer
      }
      if (count.error() == std::errc::interrupted) {
        continue;
      }
      return std::unexpected(ReadError::io);
    }
    chunk::append(collected, std::span(buffer.data(), *count));
    if (collected.size() > max_answer_bytes) {
      return std::unexpected(ReadError::too_long);
    }
  }
  collected.resize(chunk::drop_tail(collected, truncate).size());
  if (!chunk::is_utf8(collected)) {
    return std::unexpected(ReadError::not_utf8);
  }
  return collected;
}

} // namespace zelkor::utils::serial
