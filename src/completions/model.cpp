#include "completions/model.h"

#include <fmt/format.h>

#include "cli/tree.h"

namespace zelkor::completions {

namespace {

Option option_of(const cli::Tree& tree, const CLI::Option& source) {
  Option option;
  for (const auto& name : source.get_snames()) {
    option.names.push_back("-" + name);
  }
  for (const auto& name : source.get_lnames()) {
    option.names.push_back("--" + name);
  }
  if (source.get_items_expected_max() > 0) {
    option.value_name =
        source.get_lnames().empty() ? source.get_snames().front() : source.get_lnames().front();
  }
  option.help = source.get_description();
  auto choices = tree.suggested(source);
  option.choices.assign(choices.begin(), choices.end());
  option.files = tree.is_path(source);
  option.devices = tree.is_serial_port(source);
  return option;
}

// `help` completes the names of its siblings.
std::vector<std::string> help_choices(const CLI::App& help) {
  std::vector<std::string> names;
  for (const CLI::App* sibling : cli::subcommands(*help.get_parent())) {
    names.push_back(sibling->get_name());
  }
  return names;
}

Positional positional_of(const cli::Tree& tree, const CLI::App& app, const CLI::Option& source) {
  Positional positional{.name = source.get_name(),
                        .help = source.get_description(),
                        .required = source.get_required(),
                        .repeated = source.get_items_expected_max() > 1,
                        .choices = {},
                        .files = tree.is_path(source)};
  auto choices = tree.suggested(source);
  positional.choices.assign(choices.begin(), choices.end());
  if (tree.is_help_command(app)) {
    positional.choices = help_choices(app);
  }
  return positional;
}

Command command_of(const cli::Tree& tree, const CLI::App& app) {
  Command command{.path = cli::path_of(app),
                  .name = app.get_name(),
                  .about = tree.about(app),
                  .options = {},
                  .positionals = {},
                  .subcommands = {}};
  for (const CLI::Option* option : app.get_options()) {
    if (option->get_positional()) {
      command.positionals.push_back(positional_of(tree, app, *option));
    } else {
      command.options.push_back(option_of(tree, *option));
    }
  }
  for (const CLI::App* sub : cli::subcommands(app)) {
    command.subcommands.push_back(command_of(tree, *sub));
  }
  return command;
}

} // namespace

Command walk(const cli::Tree& tree) {
  return command_of(tree, tree.root());
}

void for_each_command(const Command& command, const std::function<void(const Command&)>& visit) {
  visit(command);
  for (const Command& sub : command.subcommands) {
    for_each_command(sub, visit);
  }
}

std::string join(const std::vector<std::string>& path, std::string_view separator) {
  return fmt::format("{}", fmt::join(path, separator));
}

std::vector<Transitions> transitions(const Command& root, std::string_view separator) {
  std::vector<Transitions> all;
  for_each_command(root, [&](const Command& command) {
    const auto here = join(command.path, separator);
    auto key = [&](const std::string& word) { return here + "|" + word; };
    Transitions& moves = all.emplace_back();
    for (const Command& sub : command.subcommands) {
      moves.steps.push_back({.key = key(sub.name), .target = join(sub.path, separator)});
    }
    for (const Option& option : command.options) {
      if (!option.takes_value()) {
        continue;
      }
      ValueOption& value_option = moves.value_options.emplace_back();
      for (const auto& name : option.names) {
        value_option.keys.push_back(key(name));
      }
      value_option.option = &option;
    }
  });
  return all;
}

} // namespace zelkor::completions
