#pragma once
// The whole command line: the top level and one member per subcommand module. A module adds its
// grammar to the tree when its member is built, so the members' order is the order of the
// subcommands in help and completion. A run builds only the modules its command line can reach
// (cli/reach.h); help, completion scripts and the manual page see them all. Adding a subcommand
// is one member and one line in the constructor here, and one dispatch line in app.cpp.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include <CLI/CLI.hpp>

#include "can/can_cli.h"
#include "cli/reach.h"
#include "cli/tree.h"
#include "cmds/config_cli.h"
#include "cmds/mcu_cli.h"
#include "cmds/raw_cli.h"
#include "update/update_cli.h"

namespace zelkor {

struct Grammar {
  // The whole tree.
  Grammar();
  // The part of the tree `argv` (program name first) can reach.
  explicit Grammar(std::span<const char* const> argv);
  Grammar(const Grammar&) = delete;
  Grammar& operator=(const Grammar&) = delete;

  cli::Tree tree;
  std::string shell;
  CLI::Option* gen_completions;
  std::uint64_t wait_seconds = 0; // how long a claim waits for a port another process holds
  CLI::Option* wait;
  // Subcommand modules, in tree order: config, op, raw, can, update; each is there when the
  // command line can reach it.
  std::optional<cmds::config::Cli> config;
  std::optional<cmds::mcu::Cli> op;
  std::optional<cmds::raw::Cli> raw;
  std::optional<can::Cli> can;
  std::optional<update::Cli> update;

private:
  explicit Grammar(const cli::Reach& reach);
};

// The options of `module` when it is there and was chosen on the command line.
template <typename Module>
auto chosen(const std::optional<Module>& module) -> decltype(module->options()) {
  if (!module) {
    return std::nullopt;
  }
  return module->options();
}

} // namespace zelkor
