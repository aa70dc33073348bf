#include "cli/tree.h"

#include <algorithm>

#include <fmt/format.h>

namespace zelkor::cli {

namespace {

constexpr std::string_view help_command = "help";
constexpr std::string_view help_text = "Prints help information";
constexpr std::string_view version_text = "Prints version information";
constexpr std::string_view help_command_text =
    "Prints this message or the help of the given subcommand(s)";

CLI::Validator one_of(Choices values) {
  return CLI::Validator(
      [values](std::string& value) -> std::string {
        if (std::ranges::find(values, value) != values.end()) {
          return {};
        }
        return choice_refusal(value, values);
      },
      fmt::format("[possible values: {}]", fmt::join(values, ", ")), "choices");
}

} // namespace

Tree::Tree(Identity identity, std::string about, std::string long_about)
    : identity_(std::move(identity)), root_(std::move(about), identity_.command) {
  long_about_[&root_] = std::move(long_about);
  // -h gives the short help and --help the long one; CLI11 tells them apart by its two help
  // switches, which every subcommand inherits from its parent at creation.
  root_.set_help_flag("-h", std::string(help_text));
  root_.set_help_all_flag("--help", std::string(help_text));
}

CLI::App& Tree::add_command(CLI::App& parent, std::string name, std::string about,
                            std::string long_about) {
  CLI::App& app = *parent.add_subcommand(std::move(name), std::move(about));
  if (!long_about.empty()) {
    long_about_[&app] = std::move(long_about);
  }
  return app;
}

void Tree::require_subcommand(CLI::App& app) {
  requires_subcommand_.insert(&app);
}

CLI::Option* Tree::choices(CLI::Option* option, Choices values) {
  choices_[option] = values;
  return option->check(one_of(values));
}

void Tree::finish() {
  finish_level(root_);
}

void Tree::finish_level(CLI::App& app) {
  auto children = subcommands(app);
  for (CLI::App* child : children) {
    finish_level(*child);
  }
  app.set_version_flag("-V,--version", identity_.version_line(), std::string(version_text));
  if (children.empty()) {
    return;
  }
  // One subcommand per level: a later word is never a second subcommand of the same parent.
  app.require_subcommand(0, 1);
  CLI::App& help = *app.add_subcommand(std::string(help_command), std::string(help_command_text));
  help.add_option("subcommand", "The subcommand whose help message to display")
      ->expected(1, CLI::detail::expected_max_vector_size)
      ->allow_extra_args();
  help.set_version_flag("-V,--version", identity_.version_line(), std::string(version_text));
  help_commands_.insert(&help);
}

std::string Tree::long_about(const CLI::App& app) const {
  auto found = long_about_.find(&app);
  return found == long_about_.end() ? about(app) : found->second;
}

bool Tree::requires_subcommand(const CLI::App& app) const {
  return requires_subcommand_.contains(&app);
}

CLI::Option* Tree::paths(CLI::Option* option) {
  paths_.insert(option);
  return option;
}

bool Tree::is_path(const CLI::Option& option) const {
  return paths_.contains(&option);
}

CLI::Option* Tree::serial_port(CLI::Option* option, Choices words) {
  serial_ports_[option] = words;
  return option;
}

bool Tree::is_serial_port(const CLI::Option& option) const {
  return serial_ports_.contains(&option);
}

Choices Tree::suggested(const CLI::Option& option) const {
  auto found = serial_ports_.find(&option);
  return found == serial_ports_.end() ? choices_of(option) : found->second;
}

CLI::Option* Tree::long_help(CLI::Option* option, std::string text) {
  long_help_[option] = std::move(text);
  return option;
}

std::string Tree::long_help(const CLI::Option& option) const {
  auto found = long_help_.find(&option);
  return found == long_help_.end() ? option.get_description() : found->second;
}

Choices Tree::choices_of(const CLI::Option& option) const {
  auto found = choices_.find(&option);
  return found == choices_.end() ? Choices{} : found->second;
}

bool Tree::is_help_command(const CLI::App& app) const {
  return help_commands_.contains(&app);
}

std::string choice_refusal(std::string_view value, Choices values) {
  return fmt::format("'{}' isn't a valid value [possible values: {}]", value,
                     fmt::join(values, ", "));
}

std::vector<const CLI::App*> subcommands(const CLI::App& app) {
  return app.get_subcommands([](const CLI::App*) { return true; });
}

std::vector<CLI::App*> subcommands(CLI::App& app) {
  return app.get_subcommands([](CLI::App*) { return true; });
}

std::vector<std::string> path_of(const CLI::App& app) {
  std::vector<std::string> words;
  for (const CLI::App* level = &app; level != nullptr; level = level->get_parent()) {
    words.insert(words.begin(), level->get_name());
  }
  return words;
}

} // namespace zelkor::cli
