#pragma once
// The command line read once against the tree, word by word in the order it was typed, before
// CLI11 parses it. This finds what CLI11 reports late, in reverse, in its own words or not at
// all (an unknown word, a missing value, a repeat, a value given to a switch), and hands CLI11
// each option apart from its value, so that "-i=123" and "--id=" mean what their long forms
// mean. A "--" ends the options for good, also when it ends a list.

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "cli/tree.h"

namespace zelkor::cli {

// The first thing wrong with a command line.
struct Problem {
  const CLI::App* level; // where it happened; the hint names this level's help
  std::string message;   // the error's lines without "error: " and without the hint
};

struct Scanned {
  // The words for CLI11 in typed order, each option apart from its value, ending at the first
  // help or version switch (which wins over anything typed after it).
  std::vector<std::string> words;
  std::optional<Problem> problem;
};

// Reads `args` (without the program name) against the finished tree.
Scanned scan(const Tree& tree, std::span<const char* const> args);

} // namespace zelkor::cli
