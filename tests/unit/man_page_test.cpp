#include "page.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "grammar.h"
#include "roff.h"

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

const Files files{.udev_rule = "/usr/lib/udev/rules.d/60-zelkor.rules",
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
  for (const std::string_view rule_part : {"1fc9:00a3", "TAG+=\"uaccess\"", "GROUP=\"dialout\"",
                                           "MODE=\"0660\"", "ENV{ID_MM_DEVICE_IGNORE}=\"1\""}) {
    EXPECT_NE(section(text, ".SH FILES\n").find(rule_part), std::string::npos) << rule_part;
  }
}

} // namespace
} // namespace zelkor::man
