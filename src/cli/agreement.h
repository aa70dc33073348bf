#pragma once
// The typed-order scan (scan.h) finds CLI11's errors before CLI11 does, in the user's words; it
// must therefore refuse exactly the command lines CLI11 refuses. Tests hold this against tables
// of awkward command lines; a fuzz target can hold it against random ones.

#include <optional>
#include <span>
#include <string>

#include "cli/tree.h"

namespace zelkor::cli {

// How the scan (with CLI11's value checks after it) and CLI11 alone judge `args` (without the
// program name) differently, or nothing when both refuse it or both let it through. Help and
// version count as letting it through. `tree` must be finished; it is parsed more than once.
//
// Two readings differ by design and are left out, giving nothing: after "--" the scan takes
// every word as an operand, while CLI11 reads a word that looks like an option there as one
// (after a list's "--", or once the level has no operand left); and CLI11 lets help and version
// win over anything on the line, the scan only over what follows them.
std::optional<std::string> disagreement(Tree& tree, std::span<const char* const> args);

} // namespace zelkor::cli
