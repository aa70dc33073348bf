#pragma once
// What an end-to-end test reads about a running program from the outside, through /proc.

#include <chrono>
#include <functional>
#include <sys/types.h>

namespace zelkor::e2e {

// Checks `done` every few milliseconds until it holds or `max` passes; true when it held.
bool eventually(const std::function<bool()>& done, std::chrono::milliseconds max);

// Whether the process runs zelkor and has a handler installed for SIGINT: a listener has claimed
// its port and Ctrl-C no longer kills it. A shell that has yet to exec zelkor catches SIGINT too.
bool catches_sigint(pid_t pid);

// User plus system CPU time used so far by the process and all its threads, in clock ticks.
long cpu_ticks(pid_t pid);

} // namespace zelkor::e2e
