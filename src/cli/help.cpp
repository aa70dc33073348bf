#include "cli/help.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>

#include <fmt/format.h>

#include "cli/names.h"
#include "cli/wrap.h"

namespace zelkor::cli {

namespace {

constexpr std::size_t pipe_width = 100;
constexpr std::size_t indent = 2;
constexpr std::size_t gap = 2;

struct Entry {
  std::string name;
  std::string text;
};

struct Section {
  std::string title;
  std::vector<Entry> entries;
};

// The options in the order they were declared, the standard switches last.
std::vector<const CLI::Option*> listed_options(const CLI::App& app) {
  std::vector<const CLI::Option*> options;
  for (const CLI::Option* option : app.get_options()) {
    if (!option->get_positional() && !is_standard_switch(app, *option)) {
      options.push_back(option);
    }
  }
  for (const CLI::Option* standard : {app.get_help_ptr(), app.get_version_ptr()}) {
    if (standard != nullptr) {
      options.push_back(standard);
    }
  }
  return options;
}

std::string description(const Tree& tree, const CLI::Option& option, HelpForm form) {
  std::string text = form == HelpForm::Long ? tree.long_help(option) : option.get_description();
  if (!option.get_default_str().empty()) {
    text += fmt::format(" [default: {}]", option.get_default_str());
  }
  if (const Choices choices = tree.choices_of(option); !choices.empty()) {
    text += fmt::format(" [possible values: {}]", fmt::join(choices, ", "));
  }
  return text;
}

std::string usage(const Tree& tree, const CLI::App& app) {
  std::string line = "Usage: " + command_line_of(app);
  std::vector<std::string> required;
  bool optional = false;
  for (const CLI::Option* option : app.get_options()) {
    if (option->get_positional() || is_standard_switch(app, *option)) {
      continue;
    }
    if (option->get_required()) {
      required.push_back(label(*option));
    } else {
      optional = true;
    }
  }
  if (optional) {
    line += " [OPTIONS]";
  }
  for (const auto& word : required) {
    line += " " + word;
  }
  for (const CLI::Option* option : app.get_options()) {
    if (option->get_positional()) {
      line += " " + label(*option);
    }
  }
  if (tree.requires_subcommand(app)) {
    line += " <COMMAND>";
  } else if (!subcommands(app).empty()) {
    line += " [COMMAND]";
  }
  return line;
}

std::vector<Section> sections(const Tree& tree, const CLI::App& app, HelpForm form) {
  Section commands{"Commands", {}};
  for (const CLI::App* sub : subcommands(app)) {
    commands.entries.push_back({sub->get_name(), tree.about(*sub)});
  }
  Section arguments{"Arguments", {}};
  for (const CLI::Option* option : app.get_options()) {
    if (option->get_positional()) {
      arguments.entries.push_back({label(*option), description(tree, *option, form)});
    }
  }
  Section options{"Options", {}};
  for (const CLI::Option* option : listed_options(app)) {
    const bool help_switch = option == app.get_help_ptr();
    options.entries.push_back(
        {help_switch ? "-h, --help" : help_label(*option), description(tree, *option, form)});
  }
  std::vector<Section> all;
  for (Section* section : {&commands, &arguments, &options}) {
    if (!section->entries.empty()) {
      all.push_back(std::move(*section));
    }
  }
  return all;
}

// One column for the descriptions of every section, as far right as the longest name needs,
// but never past half the width: a longer name puts its description on the next line.
std::string render(const std::vector<Section>& all, std::size_t width) {
  std::size_t longest = 0;
  for (const Section& section : all) {
    for (const Entry& entry : section.entries) {
      longest = std::max(longest, entry.name.size());
    }
  }
  const std::size_t column = std::min(indent + longest + gap, std::max(width / 2, indent + gap));
  std::string out;
  for (const Section& section : all) {
    out += fmt::format("\n{}:\n", section.title);
    for (const Entry& entry : section.entries) {
      std::string line = std::string(indent, ' ') + entry.name;
      if (line.size() + gap > column) {
        line += "\n" + std::string(column, ' ');
      } else {
        line.append(column - line.size(), ' ');
      }
      out += line + wrapped(entry.text, column, width) + "\n";
    }
  }
  return out;
}

} // namespace

std::size_t help_width() {
  winsize size{};
  if (isatty(STDOUT_FILENO) == 1 && ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 &&
      size.ws_col > 0) {
    return size.ws_col;
  }
  return pipe_width;
}

std::string help(const Tree& tree, const CLI::App& app, HelpForm form, std::size_t width) {
  std::string out;
  if (app.get_parent() == nullptr) {
    out += tree.identity().version_line() + "\n";
  }
  const std::string about = form == HelpForm::Long ? tree.long_about(app) : tree.about(app);
  out += wrapped(about, 0, width) + "\n\n" + usage(tree, app) + "\n";
  out += render(sections(tree, app, form), width);
  return out;
}

} // namespace zelkor::cli
