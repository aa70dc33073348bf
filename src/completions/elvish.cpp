#include <fmt/format.h>

#include "completions/quoting.h"
#include "completions/scripts.h"

namespace zelkor::completions {

namespace {

// Two quotes stand for one inside a single-quoted elvish string.
constexpr std::string_view escaped_quote = "''";

// A single-quoted elvish string.
std::string in_quotes(std::string_view text) {
  return single_quoted(text, escaped_quote);
}

std::string candidate(const std::string& text, const std::string& help) {
  return fmt::format("                cand {} {}\n", in_quotes(text), in_quotes(help));
}

std::string tables(const Command& root) {
  std::string next;
  std::string values;
  for (const Transitions& moves : transitions(root, ";")) {
    for (const Step& step : moves.steps) {
      next += fmt::format("        &{}={}\n", in_quotes(step.key), in_quotes(step.target));
    }
    for (const ValueOption& option : moves.value_options) {
      auto choices = single_quoted_each(option.choices, escaped_quote);
      for (const auto& key : option.keys) {
        values += fmt::format("        &{}=[{}]\n", in_quotes(key), fmt::join(choices, " "));
      }
    }
  }
  return fmt::format("    var next = [\n{}    ]\n    var values = [\n{}    ]\n", next, values);
}

std::string command_entry(const Command& command) {
  std::string candidates;
  for (const Option& option : command.options) {
    for (const auto& name : option.names) {
      candidates += candidate(name, option.help);
    }
  }
  for (const Command& sub : command.subcommands) {
    candidates += candidate(sub.name, sub.about);
  }
  for (const Positional& positional : command.positionals) {
    for (const auto& choice : positional.choices) {
      candidates += candidate(choice, positional.help);
    }
  }
  return fmt::format("            &{}= {{\n{}            }}\n", in_quotes(join(command.path, ";")),
                     candidates);
}

} // namespace

std::string elvish_script(const Command& root) {
  std::string entries;
  for_each_command(root, [&](const Command& command) { entries += command_entry(command); });
  return fmt::format(R"(use builtin
use str

set edit:completion:arg-completer[{name}] = {{|@words|
    fn cand {{|text desc|
        edit:complex-candidate $text &display=$text' -- '$desc
    }}
{tables}
    # Follow the finished words down the tree, stepping over option values; the last word is
    # the one being completed.
    var command = {root}
    var skip = $false
    for word $words[1..-1] {{
        if $skip {{
            set skip = $false
            continue
        }}
        var key = $command'|'$word
        if (has-key $next $key) {{
            set command = $next[$key]
        }} elif (has-key $values $key) {{
            set skip = $true
        }}
    }}
    if $skip {{
        var key = $command'|'$words[-2]
        for value $values[$key] {{
            cand $value $value
        }}
    }} else {{
        var completions = [
{entries}        ]
        $completions[$command]
    }}
}}
)",
                     fmt::arg("name", root.name), fmt::arg("root", in_quotes(root.name)),
                     fmt::arg("tables", tables(root)), fmt::arg("entries", entries));
}

} // namespace zelkor::completions
