#pragma once
// How long a claim waits for a port that another process holds (`--wait`). Scripts started
// together (a fleet's cron jobs) would otherwise fail at once on each other's claims.
//
// The wait is the run's one command-line setting that every claim shares, however deep below
// the handler it happens: it is set once, before the handler runs, for the handler's whole
// run, and read only by the claim.

#include <chrono>
#include <expected>
#include <system_error>

#include "utils/unique_fd.h"

namespace zelkor::utils::claim_wait {

// For its lifetime, claims wait up to `limit` for a held port; zero fails at once, as without.
class Scope {
public:
  explicit Scope(std::chrono::seconds limit);
  Scope(const Scope&) = delete;
  Scope& operator=(const Scope&) = delete;
  ~Scope();

private:
  std::chrono::milliseconds previous_;
};

using Deadline = std::chrono::steady_clock::time_point;

// When a claim starting now stops waiting.
Deadline deadline();

// Opens `path` with `flags`. A device that another process holds exclusively (TIOCEXCL)
// refuses every open but root's with EBUSY and offers nothing to wait on: it is tried again
// every few milliseconds until `deadline`.
std::expected<UniqueFd, std::error_code> open(const char* path, int flags, Deadline deadline);

// Takes the exclusive advisory lock on `fd`. When another process holds it, waits for it
// until `deadline` (blocked in flock, no polling): then EWOULDBLOCK, as without a wait.
std::expected<void, std::error_code> lock(int fd, Deadline deadline);

} // namespace zelkor::utils::claim_wait
