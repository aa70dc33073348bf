#include "app.h"

#include <algorithm>
#include <chrono>
#include <sstream>

#include <fmt/ostream.h>

#include "cli/help.h"
#include "cli/parse.h"
#include "completions/generate.h"
#include "grammar.h"
#include "utils/claim_wait.h"

namespace zelkor {

namespace {

std::uint8_t dispatch(const Grammar& grammar, utils::output::Sink& out) {
  const utils::claim_wait::Scope claim_wait(std::chrono::seconds(
      std::min<std::uint64_t>(grammar.wait_seconds, std::chrono::seconds::max().count())));
  if (grammar.gen_completions->count() > 0) {
    std::ostringstream script;
    completions::generate(grammar.shell, grammar.tree, script);
    out.write(script.view());
    return 0;
  }
  if (auto o = chosen(grammar.config)) {
    return cmds::config::handler(std::move(*o), out);
  }
  if (auto o = chosen(grammar.op)) {
    return cmds::mcu::handler(std::move(*o), out);
  }
  if (auto o = chosen(grammar.raw)) {
    return cmds::raw::handler(std::move(*o), out);
  }
  if (auto o = chosen(grammar.can)) {
    return can::handler(std::move(*o), out);
  }
  if (auto o = chosen(grammar.update)) {
    return update::handler(std::move(*o), out);
  }
  // The short help, its last line ended by one line break like every line of the page.
  out.write(cli::help(grammar.tree, grammar.tree.root(), cli::HelpForm::Short));
  return 0;
}

std::uint8_t parse_and_dispatch(std::span<const char* const> argv, utils::output::Sink& out,
                                std::ostream& err) {
  Grammar grammar(argv);     // what these words can reach, not the whole tree
  std::ostringstream answer; // help or version, which the parser writes as a stream
  if (auto answered = cli::parse(grammar.tree, argv, answer, err)) {
    out.write(answer.view());
    return *answered;
  }
  return dispatch(grammar, out);
}

} // namespace

std::uint8_t run(std::span<const char* const> argv, utils::output::Sink& out, std::ostream& err) {
  const std::uint8_t status = parse_and_dispatch(argv, out, err);
  if (out.ok()) {
    return status;
  }
  if (auto message = utils::output::failure_message(out)) {
    fmt::print(err, "{}\n", *message);
  }
  return 1;
}

} // namespace zelkor
