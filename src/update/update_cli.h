#pragma once
// The `update` grammar.

#include <optional>
#include <string>
#include <string_view>

#include <CLI/CLI.hpp>

#include "cli/tree.h"
#include "update/update.h"

namespace zelkor::update {

// Adds `update` to the tree and binds its argument to a member, so it must not move after
// construction.
class Cli {
public:
  // The word that chooses the subcommand.
  static constexpr std::string_view command = "update";

  explicit Cli(cli::Tree& tree);
  Cli(const Cli&) = delete;
  Cli& operator=(const Cli&) = delete;

  // Set when `update` was chosen on the command line.
  [[nodiscard]] std::optional<Options> options() const;

private:
  CLI::App* update_;
  std::string input_; // the argument's bytes as given, UTF-8 or not
};

} // namespace zelkor::update
