#pragma once
// The `raw` grammar.

#include <optional>
#include <string_view>

#include <CLI/CLI.hpp>

#include "cli/tree.h"
#include "cmds/raw.h"

namespace zelkor::cmds::raw {

// Adds `raw` and its actions to the tree and binds their values to members, so it must not move
// after construction.
class Cli {
public:
  // The word that chooses the subcommand.
  static constexpr std::string_view command = "raw";

  explicit Cli(cli::Tree& tree);
  Cli(const Cli&) = delete;
  Cli& operator=(const Cli&) = delete;

  // Set when `raw` was chosen on the command line.
  [[nodiscard]] std::optional<Raw> options() const;

private:
  CLI::App* raw_;
  CLI::App* write_;
  CLI::App* listen_;
  Raw values_;
  Write write_values_;
  Listen listen_values_;
  Devices devices_values_;
};

} // namespace zelkor::cmds::raw
