#include "page.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include <fmt/format.h>

#include "roff.h"
#include "sections.h"

namespace zelkor::man {

namespace {

std::string upper(std::string text) {
  std::ranges::transform(text, text.begin(), [](unsigned char c) { return std::toupper(c); });
  return text;
}

std::vector<std::string> names_of(const CLI::Option& option) {
  std::vector<std::string> names;
  for (const auto& name : option.get_snames()) {
    names.push_back("-" + name);
  }
  for (const auto& name : option.get_lnames()) {
    names.push_back("--" + name);
  }
  return names;
}

// The short and the long help switch are one entry, as in the help.
bool is_long_help(const CLI::App& app, const CLI::Option& option) {
  return &option == app.get_help_all_ptr() && app.get_help_ptr() != nullptr;
}

std::string option_tag(const CLI::App& app, const CLI::Option& option) {
  if (option.get_positional()) {
    return fmt::format("\\fI{}\\fR", escape(option.get_name()));
  }
  auto names = names_of(option);
  if (&option == app.get_help_ptr() && app.get_help_all_ptr() != nullptr) {
    auto more = names_of(*app.get_help_all_ptr());
    names.insert(names.end(), more.begin(), more.end());
  }
  std::vector<std::string> bold;
  for (const auto& name : names) {
    bold.push_back(fmt::format("\\fB{}\\fR", escape(name)));
  }
  std::string tag = fmt::format("{}", fmt::join(bold, ", "));
  if (option.get_items_expected_max() > 0) {
    tag += fmt::format(" \\fI{}\\fR",
                       escape(upper(names.back().substr(names.back().find_first_not_of('-')))));
  }
  return tag;
}

std::string option_entry(const cli::Tree& tree, const CLI::App& app, const CLI::Option& option) {
  std::string text = option.get_description();
  if (auto choices = tree.choices_of(option); !choices.empty()) {
    text += fmt::format("\nPossible values: {}.", fmt::join(choices, ", "));
  }
  if (!option.get_default_str().empty()) {
    text += fmt::format("\nDefault: {}.", option.get_default_str());
  }
  if (option.get_required()) {
    text += "\nRequired.";
  }
  return fmt::format(".TP\n{}\n{}", option_tag(app, option), paragraphs(text));
}

// Options the top level carries on every level are described once, under OPTIONS.
bool described_at_top(const CLI::App& app, const CLI::Option& option) {
  const CLI::App* root = &app;
  while (root->get_parent() != nullptr) {
    root = root->get_parent();
  }
  if (root == &app || option.get_positional()) {
    return false;
  }
  const auto names = names_of(option);
  return std::ranges::any_of(root->get_options(), [&](const CLI::Option* top) {
    return !top->get_positional() && names_of(*top) == names;
  });
}

std::string options_of(const cli::Tree& tree, const CLI::App& app, bool positional) {
  std::string out;
  for (const CLI::Option* option : app.get_options()) {
    if (option->get_positional() == positional && !is_long_help(app, *option) &&
        !described_at_top(app, *option)) {
      out += option_entry(tree, app, *option);
    }
  }
  return out;
}

std::string usage(const cli::Tree& tree, const CLI::App& app) {
  std::string line = fmt::format(".B {}\n[\\fIOPTIONS\\fR]",
                                 escape(fmt::format("{}", fmt::join(cli::path_of(app), " "))));
  for (const CLI::Option* option : app.get_options()) {
    if (!option->get_positional()) {
      continue;
    }
    const auto name = fmt::format("\\fI{}\\fR", escape(option->get_name()));
    const auto repeat = option->get_items_expected_max() > 1 ? " ..." : "";
    line += option->get_required() ? fmt::format(" {}{}", name, repeat)
                                   : fmt::format(" [{}{}]", name, repeat);
  }
  if (!cli::subcommands(app).empty()) {
    line += tree.requires_subcommand(app) ? " \\fISUBCOMMAND\\fR" : " [\\fISUBCOMMAND\\fR]";
  }
  return line + "\n";
}

std::string subcommand_list(const cli::Tree& tree, const CLI::App& app) {
  std::string out;
  for (const CLI::App* sub : cli::subcommands(app)) {
    out +=
        fmt::format(".TP\n\\fB{}\\fR\n{}", escape(sub->get_name()), paragraphs(tree.about(*sub)));
  }
  return out;
}

std::string command_section(const cli::Tree& tree, const CLI::App& app) {
  std::string out =
      fmt::format(".SS \"{}\"\n", escape(fmt::format("{}", fmt::join(cli::path_of(app), " "))));
  out += usage(tree, app) + ".PP\n" + paragraphs(tree.long_about(app));
  out += options_of(tree, app, true) + options_of(tree, app, false) + subcommand_list(tree, app);
  for (const CLI::App* sub : cli::subcommands(app)) {
    if (!tree.is_help_command(*sub)) {
      out += command_section(tree, *sub);
    }
  }
  return out;
}

std::string title(const cli::Tree& tree) {
  const cli::Identity& id = tree.identity();
  const std::string about = tree.about(tree.root());
  const std::string summary = about.substr(0, about.find(". "));
  return fmt::format(".TH {} 1 \"\" \"{}\" \"User Commands\"\n.nh\n.SH NAME\n{} \\- {}\n",
                     upper(id.command), escape(fmt::format("{} {}", id.display_name, id.version)),
                     escape(id.command), escape(summary));
}

} // namespace

std::string page(const cli::Tree& tree, const Files& files) {
  const CLI::App& root = tree.root();
  std::string out = title(tree);
  out += ".SH SYNOPSIS\n" + usage(tree, root);
  for (const CLI::App* sub : cli::subcommands(root)) {
    if (!tree.is_help_command(*sub)) {
      out += ".br\n" + usage(tree, *sub);
    }
  }
  out += ".SH DESCRIPTION\n" + paragraphs(tree.long_about(root));
  out +=
      ".SH OPTIONS\n" + options_of(tree, root, false) + ".PP\n" + paragraphs(every_level_options);
  out += ".SH COMMANDS\n" + subcommand_list(tree, root);
  for (const CLI::App* sub : cli::subcommands(root)) {
    if (!tree.is_help_command(*sub)) {
      out += command_section(tree, *sub);
    }
  }
  out += fixed_sections(tree.identity().command, files);
  return out;
}

} // namespace zelkor::man
