#include "cli/help.h"

#include <fmt/format.h>

namespace zelkor::cli {

namespace {

// CLI11's layout with our description texts: the short or long help, and the version header
// on the top level.
class Formatter : public CLI::Formatter {
public:
  Formatter(const Tree& tree, HelpForm form) : tree_(tree), form_(form) {}

  std::string make_description(const CLI::App* app) const override {
    std::string text = form_ == HelpForm::Long ? tree_.long_about(*app) : tree_.about(*app);
    if (app->get_parent() == nullptr) {
      const Identity& id = tree_.identity();
      return fmt::format("{} {}\n{}\n\n", id.display_name, id.version, text);
    }
    return fmt::format("{}\n\n", text);
  }

  // The two help switches are one entry for the reader.
  std::string make_option_name(const CLI::Option* option, bool positional) const override {
    if (positional) {
      return option->get_name(true);
    }
    if (option->get_name() == "-h") {
      return "-h, --help";
    }
    std::vector<std::string> names;
    for (const auto& name : option->get_snames()) {
      names.push_back("-" + name);
    }
    for (const auto& name : option->get_lnames()) {
      names.push_back("--" + name);
    }
    return fmt::format("{}", fmt::join(names, ", "));
  }

  std::string make_option(const CLI::Option* option, bool positional) const override {
    if (option->get_name() == "--help") {
      return {};
    }
    return CLI::Formatter::make_option(option, positional);
  }

private:
  const Tree& tree_;
  HelpForm form_;
};

} // namespace

std::string help(const Tree& tree, const CLI::App& app, HelpForm form) {
  Formatter formatter(tree, form);
  formatter.column_width(32);
  auto usage_name = fmt::format("{}", fmt::join(path_of(app), " "));
  return formatter.make_help(&app, usage_name, CLI::AppFormatMode::Normal);
}

} // namespace zelkor::cli
