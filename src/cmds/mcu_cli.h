#pragma once
// The `op` grammar.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include <CLI/CLI.hpp>

#include "cli/reach.h"
#include "cli/tree.h"
#include "cmds/mcu.h"

namespace zelkor::cmds::mcu {

// Adds `op` and its operations (those the command line can reach) to the tree and binds their
// values to members, so it must not move after construction.
class Cli {
public:
  // The word that chooses the subcommand.
  static constexpr std::string_view command = "op";

  Cli(cli::Tree& tree, const cli::Reach& reach);
  Cli(const Cli&) = delete;
  Cli& operator=(const Cli&) = delete;

  // Set when `op` was chosen on the command line.
  [[nodiscard]] std::optional<Commands> options() const;

private:
  // Adds the values the operation of the alternative `kind` takes.
  void add_arguments(cli::Tree& tree, CLI::App& operation, const Commands& kind);
  // Builds the operation at `index` from the bound values.
  [[nodiscard]] Commands command_at(std::size_t index) const;

  CLI::App* op_;
  std::array<CLI::App*, operations.size()> operations_{}; // null where not reached
  std::string id_;
  std::string data_;
  std::string input_;
  std::string output_;
  std::string led_;
  std::string state_;
  std::string config_number_;
  bool set_default_ = false;
  std::string reference_;
};

} // namespace zelkor::cmds::mcu
