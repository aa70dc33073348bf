#pragma once
// How much of the command tree a command line can reach, so that a run builds only that part:
// the root, and below it at most the one subcommand its first word names, and below that at most
// the one its second word names. Once a subcommand is chosen, no later word reaches its siblings
// (each level takes one subcommand, and an error's tip looks only at the chosen level and at the
// options of the levels above), so the rest of the tree would change nothing in what the run
// prints.

#include <cstddef>
#include <functional>
#include <optional>
#include <ranges>
#include <span>
#include <string_view>

namespace zelkor::cli {

struct Reach {
  // The whole tree: help, completion scripts and most errors may list any subcommand.
  bool everything = true;
  // Otherwise the root's one subcommand the command line is confined to; empty for the root
  // alone.
  std::string_view subcommand;
  // The word after it, if any: it confines the subcommand's module to the one of its own
  // subcommands it names exactly (confined_child).
  std::string_view next;

  [[nodiscard]] bool includes(std::string_view name) const {
    return everything || name == subcommand;
  }
};

// What `args` (without the program name) can reach in a tree whose root has the subcommands
// `names` (its help subcommand aside).
Reach reach(std::span<const char* const> args, std::span<const std::string_view> names);

// Which of a module's own subcommands `items` (named by `name_of`) the command line is confined
// to: the one the word after the module's own word names exactly. None when that word is
// anything else (an option of the module's level, a typo, `help`), and the module builds them
// all.
template <std::ranges::random_access_range Items, typename NameOf>
std::optional<std::size_t> confined_child(const Reach& reach, const Items& items, NameOf name_of) {
  if (reach.everything || reach.next.empty()) {
    return std::nullopt;
  }
  for (std::size_t i = 0; i < std::ranges::size(items); ++i) {
    if (std::string_view(std::invoke(name_of, items[i])) == reach.next) {
      return i;
    }
  }
  return std::nullopt;
}

} // namespace zelkor::cli
