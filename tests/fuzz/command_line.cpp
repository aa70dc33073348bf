// Whole command lines, made of the tree's own words and random bytes, through the real tree and
// the typed-order scan. No handler runs: the parse either leaves the values to a handler, or
// answers (help, version) with status 0, or refuses with a parser error and status 1.

#include <FuzzedDataProvider.h>

#include <cstdio>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "check.h"
#include "cli/agreement.h"
#include "cli/parse.h"
#include "grammar.h"

using zelkor::fuzz::require;

namespace {

void add_words(const zelkor::cli::Tree& tree, const CLI::App& level,
               std::vector<std::string>& words) {
  words.push_back(level.get_name());
  for (const CLI::Option* option : level.get_options()) {
    for (const std::string& name : option->get_lnames()) {
      words.push_back("--" + name);
    }
    for (const std::string& name : option->get_snames()) {
      words.push_back("-" + name);
    }
    for (std::string_view value : tree.suggested(*option)) {
      words.emplace_back(value);
    }
  }
  for (const CLI::App* child : zelkor::cli::subcommands(level)) {
    add_words(tree, *child, words);
  }
}

// Every word the tree knows, and values that sit on the edges of its checks.
const std::vector<std::string>& tree_words() {
  static const std::vector<std::string> words = [] {
    std::vector<std::string> all{
        "--",   "-",   "=", "0", "1", "+1", "-1", "255", "256", "0x7FF", "18446744073709551616",
        "1e39", "nan", "",  " "};
    const zelkor::Grammar grammar;
    add_words(grammar.tree, grammar.tree.root(), all);
    return all;
  }();
  return words;
}

std::vector<std::string> command_line(FuzzedDataProvider& input) {
  std::vector<std::string> args{"zelkor"};
  const auto& words = tree_words();
  while (input.remaining_bytes() > 0 && args.size() < 24) {
    switch (input.ConsumeIntegralInRange(0, 3)) {
    case 0:
      args.push_back(input.ConsumeRandomLengthString(40));
      break;
    case 1: // an option with its value in the same word
      args.push_back(words.at(input.ConsumeIntegralInRange<std::size_t>(0, words.size() - 1)) +
                     "=" + input.ConsumeRandomLengthString(12));
      break;
    default:
      args.push_back(words.at(input.ConsumeIntegralInRange<std::size_t>(0, words.size() - 1)));
    }
  }
  return args;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::vector<std::string> args = command_line(input);
  std::vector<const char*> argv;
  for (const std::string& arg : args) {
    argv.push_back(arg.c_str());
  }

  {
    // The scan finds CLI11's errors first, in the user's words: it must refuse exactly what
    // CLI11 refuses. A tree is parsed once, so this one is not the one parsed below.
    zelkor::Grammar judged;
    const auto differs =
        zelkor::cli::disagreement(judged.tree, std::span(argv).subspan(1)); // no program name
    if (differs) { // the command line and how the two differ, for whoever reads the finding
      for (const std::string& arg : args) {
        std::fprintf(stderr, "[%s] ", arg.c_str());
      }
      std::fprintf(stderr, "\n%s\n", differs->c_str());
    }
    require(!differs, "the scan refuses exactly what CLI11 refuses");
  }
  zelkor::Grammar grammar;
  std::ostringstream out;
  std::ostringstream err;
  const auto answered = zelkor::cli::parse(grammar.tree, argv, out, err, 80);
  if (!answered) {
    require(out.view().empty() && err.view().empty(), "a parse left to a handler prints nothing");
    return 0;
  }
  require(*answered == 0 || *answered == 1, "the parser answers with status 0 or 1");
  if (*answered == 0) {
    require(err.view().empty(), "help and version are no error");
  } else {
    require(out.view().empty() && !err.view().empty(), "a refusal is told on standard error");
    require(err.view().starts_with("error: ") || err.view().starts_with("Usage") ||
                err.view().find("\nUsage") != std::string_view::npos,
            "a refusal is a parser error or the level's help");
  }
  return 0;
}
