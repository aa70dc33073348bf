#include "cli/parse.h"

#include <algorithm>

#include <fmt/format.h>
#include <fmt/ostream.h>

#include "cli/help.h"
#include "cli/names.h"
#include "cli/scan.h"
#include "cli/suggest.h"
#include "utils/chunk.h"

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

std::uint8_t refuse(std::ostream& err, const Problem& problem) {
  fmt::print(err, "error: {}\n\n{}\n", problem.message, more_information(*problem.level));
  return usage_error;
}

std::uint8_t answer_help_command(const Tree& tree, const CLI::App& help_command, std::ostream& out,
                                 std::ostream& err, std::size_t width) {
  const CLI::App* target = help_command.get_parent();
  for (const std::string& word : help_command.get_option("subcommand")->results()) {
    auto children = subcommands(*target);
    std::vector<std::string> names;
    for (const CLI::App* child : children) {
      names.push_back(child->get_name());
    }
    auto found = std::ranges::find(names, word);
    if (found == names.end()) {
      std::string message =
          fmt::format("unrecognized subcommand '{}'", utils::chunk::escaped(word));
      if (auto near = closest(word, names)) {
        message += fmt::format("\n\n  tip: did you mean '{}'?", *near);
      }
      return refuse(err, {target, message});
    }
    target = children.at(static_cast<std::size_t>(found - names.begin()));
  }
  fmt::print(out, "{}", help(tree, *target, HelpForm::Long, width));
  return success;
}

// The option a CLI11 value error names ("--timeout: invalid digit found in string"), with the
// reason after the name.
std::pair<const CLI::Option*, std::string> failed_option(const CLI::App& root,
                                                         std::string_view what) {
  const CLI::Option* failed = nullptr;
  std::string reason(what);
  for (const CLI::App* level : selected_chain(root)) {
    for (const CLI::Option* option : level->get_options()) {
      const auto prefix = option->get_name() + ": ";
      if (what.starts_with(prefix) &&
          (failed == nullptr || prefix.size() > failed->get_name().size() + 2)) {
        failed = option;
        reason = what.substr(prefix.size());
      }
    }
  }
  return {failed, reason};
}

const CLI::App* level_of(const CLI::App& root, const CLI::Option* option) {
  for (const CLI::App* level : selected_chain(root)) {
    auto options = level->get_options();
    if (std::ranges::find(options, option) != options.end()) {
      return level;
    }
  }
  return selected_chain(root).back();
}

// A value refused by an option's check, in the words of the check.
Problem invalid_value(const Tree& tree, const CLI::ValidationError& error) {
  const CLI::App& root = tree.root();
  auto [option, reason] = failed_option(root, error.what());
  if (option == nullptr) {
    return {selected_chain(root).back(), reason};
  }
  const auto& results = option->results();
  const Choices choices = tree.choices_of(*option);
  // The value refused: the first one outside the choices, else the last one given.
  auto refused = std::ranges::find_if(results, [&](const std::string& result) {
    return !choices.empty() && std::ranges::find(choices, result) == choices.end();
  });
  const std::string value = refused != results.end() ? *refused
                            : results.empty()        ? std::string{}
                                                     : results.back();
  std::string message =
      fmt::format("invalid value '{}' for '{}'", utils::chunk::escaped(value), label(*option));
  // The list of choices says all a refusal by the list itself would; another check's reason
  // is given as it stands.
  if (reason != choice_refusal(value, choices)) {
    message += ": " + reason;
  }
  if (!choices.empty()) {
    message += fmt::format("\n  [possible values: {}]", fmt::join(choices, ", "));
  }
  return {level_of(root, option), message};
}

// Every required option or argument of the selected levels that was not given.
Problem missing_required(const CLI::App& root) {
  std::vector<std::string> missing;
  const CLI::App* where = selected_chain(root).back();
  for (const CLI::App* level : selected_chain(root)) {
    for (const CLI::Option* option : level->get_options()) {
      if (option->get_required() && option->count() == 0) {
        if (missing.empty()) {
          where = level;
        }
        missing.push_back("  " + label(*option));
      }
    }
  }
  return {where, fmt::format("the following required arguments were not provided:\n{}",
                             fmt::join(missing, "\n"))};
}

// Two options given together that exclude each other, named as help names them, the switch
// first; or an option given without the one it needs.
Problem conflict(const CLI::App& root) {
  for (const CLI::App* level : selected_chain(root)) {
    for (const CLI::Option* option : level->get_options()) {
      if (option->count() == 0) {
        continue;
      }
      for (const CLI::Option* other : option->get_excludes()) {
        if (option->nonpositional() && other->count() > 0) {
          return {level, fmt::format("the argument '{}' cannot be used with '{}'", label(*option),
                                     label(*other))};
        }
      }
      for (const CLI::Option* needed : option->get_needs()) {
        if (needed->count() == 0) {
          return {level,
                  fmt::format("the argument '{}' requires '{}'", label(*option), label(*needed))};
        }
      }
    }
  }
  return {selected_chain(root).back(), "conflicting arguments"};
}

enum class Switch { short_help, long_help, version };

// What a help or version switch of `level` prints, however it was found.
std::string switch_page(const Tree& tree, const CLI::App& level, Switch given, std::size_t width) {
  if (given == Switch::version) {
    return tree.identity().version_line() + "\n";
  }
  return help(tree, level, given == Switch::short_help ? HelpForm::Short : HelpForm::Long, width);
}

std::optional<Switch> switch_named(const CLI::App& level, const std::string& word) {
  const auto names = [&](const CLI::Option* option) {
    return option != nullptr && option->check_name(word);
  };
  if (names(level.get_help_ptr())) {
    return Switch::short_help;
  }
  if (names(level.get_help_all_ptr())) {
    return Switch::long_help;
  }
  if (names(level.get_version_ptr())) {
    return Switch::version;
  }
  return std::nullopt;
}

// The page for a help or version switch typed after nothing but subcommand names, which needs
// no parse. CLI11 would answer it by throwing, and a run's first throw faults in the unwinder
// and the program's unwind tables: in a run that prints the version, more time than the whole
// tree and parse take.
std::optional<std::string> lone_switch_page(const Tree& tree, std::span<const std::string> words,
                                            std::size_t width) {
  if (words.empty()) {
    return std::nullopt;
  }
  const CLI::App* level = &tree.root();
  for (const std::string& word : words.first(words.size() - 1)) {
    auto children = subcommands(*level);
    auto child = std::ranges::find_if(
        children, [&](const CLI::App* candidate) { return candidate->check_name(word); });
    if (child == children.end()) {
      return std::nullopt;
    }
    level = *child;
  }
  const auto given = switch_named(*level, words.back());
  if (!given) {
    return std::nullopt;
  }
  return switch_page(tree, *level, *given, width);
}

} // namespace

std::optional<std::uint8_t> parse(Tree& tree, std::span<const char* const> argv, std::ostream& out,
                                  std::ostream& err) {
  return parse(tree, argv, out, err, help_width());
}

std::optional<std::uint8_t> parse(Tree& tree, std::span<const char* const> argv, std::ostream& out,
                                  std::ostream& err, std::size_t width) {
  auto scanned = scan(tree, argv.subspan(std::min<std::size_t>(1, argv.size())));
  if (scanned.problem) {
    return refuse(err, *scanned.problem);
  }
  if (auto page = lone_switch_page(tree, scanned.words, width)) {
    fmt::print(out, "{}", *page);
    return success;
  }
  std::optional<Switch> given; // a help or version switch after other words: CLI11 throws it
  try {
    std::ranges::reverse(scanned.words); // CLI11 takes the words from the back
    tree.root().parse(scanned.words);
  } catch (const CLI::CallForHelp&) {
    given = Switch::short_help;
  } catch (const CLI::CallForAllHelp&) {
    given = Switch::long_help;
  } catch (const CLI::CallForVersion&) {
    given = Switch::version;
  } catch (const CLI::ValidationError& error) {
    return refuse(err, invalid_value(tree, error));
  } catch (const CLI::RequiredError&) {
    return refuse(err, missing_required(tree.root()));
  } catch (const CLI::ExcludesError&) {
    return refuse(err, conflict(tree.root()));
  } catch (const CLI::RequiresError&) {
    return refuse(err, conflict(tree.root()));
  } catch (const CLI::ParseError& error) {
    // What the scan leaves to CLI11 is value checks and required arguments; anything else
    // keeps CLI11's words. Its exit codes (100 and up) are not ours: every error is status 1.
    return refuse(err, {selected_chain(tree.root()).back(), error.what()});
  }
  if (given) {
    fmt::print(out, "{}", switch_page(tree, *selected_chain(tree.root()).back(), *given, width));
    return success;
  }

  for (const CLI::App* level : selected_chain(tree.root())) {
    if (tree.is_help_command(*level)) {
      return answer_help_command(tree, *level, out, err, width);
    }
    if (tree.requires_subcommand(*level) && level->get_subcommands().empty()) {
      fmt::print(err, "{}", help(tree, *level, HelpForm::Short, width));
      return usage_error;
    }
  }
  return std::nullopt;
}

} // namespace zelkor::cli
