#pragma once
// The program: parse the command line once, then print help or a completion script, or run
// exactly one subcommand handler.

#include <cstdint>
#include <ostream>
#include <span>

#include "utils/output.h"

namespace zelkor {

// Runs the program for `argv` (program name first) and gives the exit status. Help, version,
// completion scripts and every handler's results go to `out`; the parser's errors and a failed
// `out` are reported on `err`. Output that could not be written makes the status 1.
std::uint8_t run(std::span<const char* const> argv, utils::output::Sink& out, std::ostream& err);

} // namespace zelkor
