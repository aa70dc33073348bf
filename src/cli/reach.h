#pragma once
// How much of the command tree a command line can reach, so that a run builds only that part:
// the root, and below it at most the one subcommand its first word names. Once a subcommand is
// chosen, no later word reaches the root's other subcommands (only the root's own options, in
// an error's tip), so the rest of the tree would change nothing in what the run prints.

#include <span>
#include <string_view>

namespace zelkor::cli {

struct Reach {
  // The whole tree: help, completion scripts and most errors may list any subcommand.
  bool everything = true;
  // Otherwise the root's one subcommand the command line is confined to; empty for the root
  // alone.
  std::string_view subcommand;

  [[nodiscard]] bool includes(std::string_view name) const {
    return everything || name == subcommand;
  }
};

// What `args` (without the program name) can reach in a tree whose root has the subcommands
// `names` (its help subcommand aside).
Reach reach(std::span<const char* const> args, std::span<const std::string_view> names);

} // namespace zelkor::cli
