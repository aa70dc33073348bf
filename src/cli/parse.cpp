#include "cli/parse.h"

#include <algorithm>

#include <fmt/format.h>
#include <fmt/ostream.h>

#include "cli/help.h"

namespace zelkor::cli {

namespace {

constexpr std::uint8_t success = 0;
constexpr std::uint8_t usage_error = 1;

// The chain of selected levels, from the root down.
std::vector<const CLI::App*> selected_chain(const CLI::App& root) {
  std::vector<const CLI::App*> chain{&root};
  for (;;) {
    auto selected = chain.back()->get_subcommands();
    if (selected.empty()) {
      return chain;
    }
    chain.push_back(selected.front());
  }
}

std::uint8_t answer_help_command(const Tree& tree, const CLI::App& help_command, std::ostream& out,
                                 std::ostream& err) {
  const CLI::App* target = help_command.get_parent();
  for (const std::string& word : help_command.get_option("subcommand")->results()) {
    auto children = subcommands(*target);
    auto found =
        std::ranges::find_if(children, [&](const CLI::App* c) { return c->get_name() == word; });
    if (found == children.end()) {
      fmt::print(err, "error: The subcommand '{}' wasn't recognized\n", word);
      return usage_error;
    }
    target = *found;
  }
  fmt::print(out, "{}", help(tree, *target, HelpForm::Long));
  return success;
}

// CLI11 reads "--name=" as "--name" without a value and takes the next word instead; the user
// meant an empty value. Also gives the words in the reversed order CLI11 consumes them.
std::vector<std::string> reversed_words(std::span<const char* const> argv) {
  std::vector<std::string> words;
  bool options_ended = false;
  for (const char* arg : argv.subspan(std::min<std::size_t>(1, argv.size()))) {
    std::string_view word(arg);
    options_ended = options_ended || word == "--";
    if (!options_ended && word.size() > 3 && word.starts_with("--") && word.ends_with('=') &&
        word.find('=') == word.size() - 1) {
      words.emplace_back(word.substr(0, word.size() - 1));
      words.emplace_back();
    } else {
      words.emplace_back(word);
    }
  }
  std::ranges::reverse(words);
  return words;
}

} // namespace

std::optional<std::uint8_t> parse(Tree& tree, std::span<const char* const> argv, std::ostream& out,
                                  std::ostream& err) {
  try {
    auto words = reversed_words(argv);
    tree.root().parse(words);
  } catch (const CLI::CallForHelp&) {
    fmt::print(out, "{}", help(tree, *selected_chain(tree.root()).back(), HelpForm::Short));
    return success;
  } catch (const CLI::CallForAllHelp&) {
    fmt::print(out, "{}", help(tree, *selected_chain(tree.root()).back(), HelpForm::Long));
    return success;
  } catch (const CLI::CallForVersion& version) {
    fmt::print(out, "{}\n", version.what());
    return success;
  } catch (const CLI::ParseError& error) {
    // CLI11's own exit codes (100 and up) are not ours: every command-line error is status 1.
    fmt::print(err, "error: {}\n", error.what());
    return usage_error;
  }

  for (const CLI::App* level : selected_chain(tree.root())) {
    if (tree.is_help_command(*level)) {
      return answer_help_command(tree, *level, out, err);
    }
    if (tree.requires_subcommand(*level) && level->get_subcommands().empty()) {
      fmt::print(err, "{}", help(tree, *level, HelpForm::Short));
      return usage_error;
    }
  }
  return std::nullopt;
}

} // namespace zelkor::cli
