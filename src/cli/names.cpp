#include "cli/names.h"

#include <cctype>

#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include "cli/tree.h"

namespace zelkor::cli {

namespace {

std::string value_part(const CLI::Option& option) {
  if (option.get_items_expected_max() == 0) {
    return {};
  }
  auto value = fmt::format("<{}>", value_name(option));
  if (!takes_list(option)) {
    return value;
  }
  // A list may be given empty when it needs no value.
  return option.get_items_expected_min() == 0 ? fmt::format("[{}]...", value) : value + "...";
}

} // namespace

std::string value_name(const CLI::Option& option) {
  if (!option.get_option_text().empty()) { // a name the grammar chose for the value
    return option.get_option_text();
  }
  std::string name = option.get_positional()       ? option.get_name()
                     : option.get_lnames().empty() ? option.get_snames().front()
                                                   : option.get_lnames().front();
  for (char& c : name) {
    c = c == '-' ? '_' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return name;
}

bool takes_list(const CLI::Option& option) {
  return option.get_items_expected_max() > 1;
}

std::string label(const CLI::Option& option) {
  if (option.get_positional()) {
    auto value = fmt::format("{}{}{}", option.get_required() ? "<" : "[", value_name(option),
                             option.get_required() ? ">" : "]");
    return takes_list(option) ? value + "..." : value;
  }
  const std::string name = option.get_lnames().empty() ? "-" + option.get_snames().front()
                                                       : "--" + option.get_lnames().front();
  const std::string value = value_part(option);
  return value.empty() ? name : name + " " + value;
}

std::string help_label(const CLI::Option& option) {
  if (option.get_positional()) {
    return label(option);
  }
  std::vector<std::string> names;
  for (const auto& name : option.get_snames()) {
    names.push_back("-" + name);
  }
  for (const auto& name : option.get_lnames()) {
    names.push_back("--" + name);
  }
  // Long names line up whether or not a short name stands before them.
  const std::string indent = option.get_snames().empty() ? "    " : "";
  const std::string value = value_part(option);
  return fmt::format("{}{}{}{}", indent, fmt::join(names, ", "), value.empty() ? "" : " ", value);
}

bool is_standard_switch(const CLI::App& app, const CLI::Option& option) {
  return &option == app.get_help_ptr() || &option == app.get_help_all_ptr() ||
         &option == app.get_version_ptr();
}

std::string command_line_of(const CLI::App& app) {
  return fmt::format("{}", fmt::join(path_of(app), " "));
}

std::string more_information(const CLI::App& app) {
  return fmt::format("For more information, try '{} --help'.", command_line_of(app));
}

} // namespace zelkor::cli
