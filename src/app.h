#pragma once
// The program: parse the command line once, then print help or a completion script, or run
// exactly one subcommand handler.

#include <cstdint>
#include <ostream>
#include <span>

namespace zelkor {

// Runs the program for `argv` (program name first) and gives the exit status. The parser's own
// output goes to `out` and `err`; handlers print on standard output themselves.
std::uint8_t run(std::span<const char* const> argv, std::ostream& out, std::ostream& err);

} // namespace zelkor
