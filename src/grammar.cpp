#include "grammar.h"

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

} // namespace

// The top-level option comes first so help lists it before the subcommands' words; the
// modules' members are constructed after this initializer list, and the body runs last.
Grammar::Grammar()
    : tree(make_tree()), gen_completions(tree.choices(
                             tree.root().add_option("--gen-completions", shell,
                                                    "Generate auto-completions for a given shell"),
                             completions::shells)) {
  tree.finish();
}

} // namespace zelkor
