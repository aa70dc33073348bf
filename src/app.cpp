#include "app.h"

#include <optional>
#include <string>

#include <fmt/ostream.h>

#include "cli/help.h"
#include "cli/parse.h"
#include "cli/tree.h"
#include "cmds/raw.h"
#include "completions/generate.h"
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

// The whole grammar. Each subcommand module adds itself in the order of its member here.
struct Grammar {
  cli::Tree tree = make_tree();
  std::string shell;
  CLI::Option* gen_completions =
      tree.choices(tree.root().add_option("--gen-completions", shell,
                                          "Generate auto-completions for a given shell"),
                   completions::shells);
  cmds::raw::Cli raw{tree};
};

} // namespace

std::uint8_t run(std::span<const char* const> argv, std::ostream& out, std::ostream& err) {
  Grammar grammar;
  grammar.tree.finish();
  if (auto answered = cli::parse(grammar.tree, argv, out, err)) {
    return *answered;
  }
  if (grammar.gen_completions->count() > 0) {
    completions::generate(grammar.shell, grammar.tree, out);
    return 0;
  }
  if (auto o = grammar.raw.options()) {
    return cmds::raw::handler(std::move(*o));
  }
  fmt::print(out, "{}\n", cli::help(grammar.tree, grammar.tree.root(), cli::HelpForm::Short));
  return 0;
}

} // namespace zelkor
