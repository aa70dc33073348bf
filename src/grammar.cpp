#include "grammar.h"

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

} // namespace

// The top-level options come first so help lists them before the subcommands' words; the
// modules' members are constructed after this initializer list, and the body runs last.
Grammar::Grammar()
    : tree(make_tree()), gen_completions(tree.choices(
                             tree.root().add_option("--gen-completions", shell,
                                                    "Generate auto-completions for a given shell"),
                             completions::shells)),
      wait(add_wait(tree, wait_seconds)) {
  tree.finish();
}

} // namespace zelkor
