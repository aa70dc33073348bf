#include "grammar.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <type_traits>

#include "cli/numbers.h"
#include "completions/shells.h"

namespace zelkor {

namespace {

cli::Tree make_tree() {
  return cli::Tree(
      {.command = "zelkor", .display_name = "Zelkor", .version = "1.0.1"},
      "Run various commands and operations on a Zelkor series microcontroller. Access permissions "
      "to serial devices are required, so you may need to run this command with elevated "
      "privileges (e.g. `sudo zelkor <SUBCOMMAND>`)",
      "Run various commands and operations on a Zelkor series microcontroller. Access permissions "
      "to serial devices are required, so you may need to run this command with elevated "
      "privileges (e.g. `sudo zelkor <SUBCOMMAND>`).\n\n"
      "Run `zelkor <SUBCOMMAND> --help` for detailed help about a command.");
}

CLI::Option* add_wait(cli::Tree& tree, std::uint64_t& seconds) {
  return tree.long_help(
      cli::u64(
          tree.root()
              .add_option(
                  "--wait", seconds,
                  "Wait up to this many seconds for a serial port that another program is using")
              ->option_text("SECONDS")),
      "Wait up to this many seconds for a serial port that another program is using, instead of "
      "failing at once. Runs started together (by scripts or cron jobs) then take the port in "
      "turn. When the time passes, the run fails as without this option.");
}

constexpr std::array<std::string_view, 5> module_commands = {
    cmds::config::Cli::command, cmds::mcu::Cli::command, cmds::raw::Cli::command, can::Cli::command,
    update::Cli::command};

// A module with many subcommands of its own builds only the one the command line reaches, when
// it reaches one; the others (a handful each) are not worth it.
template <typename Module>
void add(std::optional<Module>& module, cli::Tree& tree, const cli::Reach& reach) {
  if (!reach.includes(Module::command)) {
    return;
  }
  if constexpr (std::is_constructible_v<Module, cli::Tree&, const cli::Reach&>) {
    module.emplace(tree, reach);
  } else {
    module.emplace(tree);
  }
}

} // namespace

Grammar::Grammar() : Grammar(cli::Reach{}) {}

Grammar::Grammar(std::span<const char* const> argv)
    : Grammar(cli::reach(argv.subspan(std::min<std::size_t>(1, argv.size())), module_commands)) {}

// The top-level options come first so help lists them before the subcommands' words.
Grammar::Grammar(const cli::Reach& reach)
    : tree(make_tree()), gen_completions(tree.choices(
                             tree.root().add_option("--gen-completions", shell,
                                                    "Generate auto-completions for a given shell"),
                             completions::shells)),
      wait(add_wait(tree, wait_seconds)) {
  add(config, tree, reach);
  add(op, tree, reach);
  add(raw, tree, reach);
  add(can, tree, reach);
  add(update, tree, reach);
  tree.finish();
}

} // namespace zelkor
