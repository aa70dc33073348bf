#pragma once
// A fuzz target's own facts: a broken one stops the run like a crash, and libFuzzer keeps the
// input that broke it.

#include <cstdio>
#include <cstdlib>
#include <source_location>

namespace zelkor::fuzz {

inline void require(bool holds, const char* fact,
                    std::source_location where = std::source_location::current()) {
  if (!holds) {
    std::fprintf(stderr, "%s:%u: broken: %s\n", where.file_name(), where.line(), fact);
    std::abort();
  }
}

} // namespace zelkor::fuzz
