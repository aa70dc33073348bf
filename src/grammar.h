#pragma once
// The whole command line: the top level and one member per subcommand module. A module adds its
// grammar to the tree when its member is constructed, so the members' order is the order of
// the subcommands in help and completion. Adding a subcommand is one member here and one
// dispatch line in app.cpp.

#include <cstdint>
#include <string>

#include <CLI/CLI.hpp>

#include "can/can_cli.h"
#include "cli/tree.h"
#include "cmds/config_cli.h"
#include "cmds/mcu_cli.h"
#include "cmds/raw_cli.h"
#include "update/update_cli.h"

namespace zelkor {

struct Grammar {
  Grammar();
  Grammar(const Grammar&) = delete;
  Grammar& operator=(const Grammar&) = delete;

  cli::Tree tree;
  std::string shell;
  CLI::Option* gen_completions;
  std::uint64_t wait_seconds = 0; // how long a claim waits for a port another process holds
  CLI::Option* wait;
  // Subcommand modules, in tree order: config, op, raw, can, update.
  cmds::config::Cli config{tree};
  cmds::mcu::Cli op{tree};
  cmds::raw::Cli raw{tree};
  can::Cli can{tree};
  update::Cli update{tree};
};

} // namespace zelkor
