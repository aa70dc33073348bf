#include "app.h"

#include <fmt/ostream.h>

#include "cli/help.h"
#include "cli/parse.h"
#include "completions/generate.h"
#include "grammar.h"

namespace zelkor {

namespace {

std::uint8_t dispatch(const Grammar& grammar, std::ostream& out) {
  if (grammar.gen_completions->count() > 0) {
    completions::generate(grammar.shell, grammar.tree, out);
    return 0;
  }
  if (auto o = grammar.op.options()) {
    return cmds::mcu::handler(std::move(*o));
  }
  if (auto o = grammar.raw.options()) {
    return cmds::raw::handler(std::move(*o));
  }
  fmt::print(out, "{}\n", cli::help(grammar.tree, grammar.tree.root(), cli::HelpForm::Short));
  return 0;
}

} // namespace

std::uint8_t run(std::span<const char* const> argv, std::ostream& out, std::ostream& err) {
  Grammar grammar;
  if (auto answered = cli::parse(grammar.tree, argv, out, err)) {
    return *answered;
  }
  return dispatch(grammar, out);
}

} // namespace zelkor
