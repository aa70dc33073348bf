#include "page.h"

#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "grammar.h"
#include "roff.h"
#include "sections.h"
#include "utils/firmware.h"

namespace zelkor::man {
namespace {

TEST(Roff, EscapesWhatRoffWouldInterpret) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"plain text", "plain text"},
      {"--gen-completions", "\\-\\-gen\\-completions"},
      {"C:\\path", "C:\\epath"},
      {".SH not a request", "\\&.SH not a request"},
      {"'quote at the start", "\\&'quote at the start"},
      {"a.b 'c'", "a.b 'c'"},
      {"line\n.next", "line\n\\&.next"},
      {"\xc3\xa9t\xc3\xa9", "\\[u00E9]t\\[u00E9]"},
      {"\xe2\x82\xac 5", "\\[u20AC] 5"},
      {"\xf0\x9f\x94\x8c", "\\[u1F50C]"},
      // Bytes that start no valid sequence stand for themselves instead of being dropped.
      {"\xff", "\\[u00FF]"},
      {"\xe2\x82", "\\[u00E2]\\[u0082]"},
      {"\xc3(", "\\[u00C3]("},
  };
  for (const auto& [text, roff] : cases) {
    EXPECT_EQ(escape(text), roff) << testing::PrintToString(text);
  }
}

TEST(Roff, HelpTextsBecomeParagraphs) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"One line", "One line\n"},
      {"First.\n\nSecond.", "First.\n.PP\nSecond.\n"},
      {"First.\n\n\n  \nSecond.", "First.\n.PP\nSecond.\n"},
      {"Line one\nline two", "Line one\n.br\nline two\n"},
      {"\nLeading and trailing\n\n", "Leading and trailing\n"},
      {"Run `zelkor op -h` now", "Run \\fBzelkor op \\-h\\fR now\n"},
      {"`a` and `b`", "\\fBa\\fR and \\fBb\\fR\n"},
      {"An unpaired ` stays", "An unpaired ` stays\n"},
      {"", ""},
  };
  for (const auto& [text, roff] : cases) {
    EXPECT_EQ(paragraphs(text), roff) << testing::PrintToString(text);
  }
}

std::string installed_rule() {
  std::ifstream file(UDEV_RULE_SOURCE);
  return {std::istreambuf_iterator<char>(file), {}};
}

const Files files{.udev_rule = "/usr/lib/udev/rules.d/60-zelkor.rules",
                  .udev_rule_text = installed_rule(),
                  .bash_completion = "/usr/share/bash-completion/completions/zelkor",
                  .zsh_completion = "/usr/share/zsh/vendor-completions/_zelkor",
                  .fish_completion = "/usr/share/fish/vendor_completions.d/zelkor.fish"};

// The part of `page` from `heading` to the next section or subsection heading.
std::string_view section(std::string_view page, std::string_view heading) {
  const auto start = page.find(heading);
  if (start == std::string_view::npos) {
    return {};
  }
  const auto body = start + heading.size();
  const auto end = std::min(page.find("\n.SS ", body), page.find("\n.SH ", body));
  return page.substr(start, end == std::string_view::npos ? end : end - start);
}

std::string heading_of(const CLI::App& app) {
  if (app.get_parent() == nullptr) {
    return ".SH OPTIONS\n";
  }
  return fmt::format(".SS \"{}\"\n", escape(fmt::format("{}", fmt::join(cli::path_of(app), " "))));
}

bool on_every_level(const CLI::App& root, const CLI::Option& option) {
  return root.get_option_no_throw(option.get_name()) != nullptr && !option.get_positional();
}

// Walks the whole tree, whatever modules it holds: every command has its own section naming
// each of its options and arguments; each `help` word is listed where it belongs.
void expect_covered(std::string_view page, const cli::Tree& tree, const CLI::App& app) {
  const std::string heading = heading_of(app);
  const auto text = section(page, heading);
  ASSERT_FALSE(text.empty()) << "no section " << heading;
  for (const CLI::Option* option : app.get_options()) {
    if (&app != &tree.root() && on_every_level(tree.root(), *option)) {
      EXPECT_NE(section(page, ".SH OPTIONS\n").find(escape(option->get_name())), std::string::npos)
          << option->get_name();
      continue;
    }
    // An entry of its own, not only a word in the usage line.
    const auto name = option->get_positional()
                          ? fmt::format(".TP\n\\fI{}\\fR\n", option->get_name())
                          : fmt::format("\\fB{}\\fR", escape(option->get_name()));
    EXPECT_NE(text.find(name), std::string_view::npos) << heading << " lacks " << name;
  }
  for (const CLI::App* sub : cli::subcommands(app)) {
    const auto listed = fmt::format(".TP\n\\fB{}\\fR\n", escape(sub->get_name()));
    const auto list = app.get_parent() == nullptr ? section(page, ".SH COMMANDS\n") : text;
    EXPECT_NE(list.find(listed), std::string_view::npos) << heading << " lacks " << listed;
    if (!tree.is_help_command(*sub)) {
      expect_covered(page, tree, *sub);
    }
  }
}

// How many options and arguments, in `app` and below it, must be given.
std::size_t required_count(const cli::Tree& tree, const CLI::App& app) {
  std::size_t count = 0;
  for (const CLI::Option* option : app.get_options()) {
    count += option->get_required() ? 1 : 0;
  }
  for (const CLI::App* sub : cli::subcommands(app)) {
    count += tree.is_help_command(*sub) ? 0 : required_count(tree, *sub);
  }
  return count;
}

TEST(ManPage, SaysOfEachRequiredArgumentThatItIs) {
  const Grammar grammar;
  const std::string text = page(grammar.tree, files);
  std::size_t said = 0;
  for (auto at = text.find("\nRequired.\n"); at != std::string::npos;
       at = text.find("\nRequired.\n", at + 1)) {
    ++said;
  }
  EXPECT_GT(said, 0U);
  EXPECT_EQ(said, required_count(grammar.tree, grammar.tree.root()));
}

TEST(ManPage, NamesEveryCommandOptionAndArgument) {
  const Grammar grammar;
  const std::string text = page(grammar.tree, files);
  expect_covered(text, grammar.tree, grammar.tree.root());
}

TEST(ManPage, HasTheSectionsAUserLooksFor) {
  const Grammar grammar;
  const std::string text = page(grammar.tree, files);
  EXPECT_TRUE(text.starts_with(".TH ZELKOR 1 ")) << text.substr(0, 80);
  for (const std::string_view heading :
       {".SH NAME\nzelkor \\- ", ".SH SYNOPSIS\n", ".SH DESCRIPTION\n", ".SH OPTIONS\n",
        ".SH COMMANDS\n", ".SH \"EXIT STATUS\"\n", ".SH PERMISSIONS\n", ".SH FILES\n",
        ".SH \"SEE ALSO\"\n"}) {
    EXPECT_NE(text.find(heading), std::string::npos) << heading;
  }
  for (const std::string& path :
       {files.udev_rule, files.bash_completion, files.zsh_completion, files.fish_completion}) {
    EXPECT_NE(section(text, ".SH FILES\n").find(".I " + escape(path) + "\n"), std::string::npos)
        << path;
  }
}

// The FILES section says what the installed rule sets, for the device the program looks for.
TEST(ManPage, DescribesTheInstalledUdevRule) {
  const Grammar grammar;
  const std::string text = page(grammar.tree, files);
  const auto files_section = section(text, ".SH FILES\n");
  const auto settings = escape(udev_settings(files.udev_rule_text));
  EXPECT_NE(files_section.find(fmt::format("USB device 1fc9:00a3: {}.\n", settings)),
            std::string::npos)
      << files_section;
  for (const auto& [attribute, id] : {std::pair{"idVendor", utils::firmware::vendor_id},
                                      std::pair{"idProduct", utils::firmware::product_id}}) {
    EXPECT_NE(files.udev_rule_text.find(fmt::format("ATTRS{{{}}}==\"{:04x}\"", attribute, id)),
              std::string::npos)
        << attribute;
  }
}

TEST(ManPage, UdevSettingsLeaveOutMatchesAndComments) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"# a comment, MODE=\"0600\"\nSUBSYSTEM==\"tty\", MODE=\"0660\"\n", "MODE=\"0660\""},
      {"ACTION!=\"remove\", TAG+=\"uaccess\",GROUP=\"dialout\"",
       "TAG+=\"uaccess\", GROUP=\"dialout\""},
      {"\n\nA==\"1\", B=\"2\"\nC==\"3\", D=\"4\"", "B=\"2\", D=\"4\""},
      {"", ""},
  };
  for (const auto& [rules, settings] : cases) {
    EXPECT_EQ(udev_settings(rules), settings) << rules;
  }
}

} // namespace
} // namespace zelkor::man
