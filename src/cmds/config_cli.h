#pragma once
// The `config` grammar.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include <CLI/CLI.hpp>

#include "cli/reach.h"
#include "cli/tree.h"
#include "cmds/config.h"

namespace zelkor::cmds::config {

// Adds `config` and its parameters (those the command line can reach) to the tree and binds their
// values to members, so it must not move after construction.
class Cli {
public:
  // The word that chooses the subcommand.
  static constexpr std::string_view command = "config";

  Cli(cli::Tree& tree, const cli::Reach& reach);
  Cli(const Cli&) = delete;
  Cli& operator=(const Cli&) = delete;

  // Set when `config` was chosen on the command line.
  [[nodiscard]] std::optional<Parameter> options() const;

private:
  // Builds the parameter at `index` from the bound values.
  [[nodiscard]] UserParameters parameter_at(std::size_t index) const;

  CLI::App* config_;
  std::array<CLI::App*, parameters.size()> commands_{};     // null where not reached
  std::array<CLI::Option*, parameters.size()> arguments_{}; // null where none is taken
  bool save_ = false;
  bool json_ = false; // one parameter per run, so they all share it
  std::string number_;
  std::string argument_; // one parameter per run, so they all share it
};

} // namespace zelkor::cmds::config
