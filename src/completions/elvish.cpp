#include <fmt/format.h>

#include "completions/scripts.h"

namespace zelkor::completions {

namespace {

// A single-quoted elvish string.
std::string single_quoted(std::string_view text) {
  std::string out = "'";
  for (char c : text) {
    out += c == '\'' ? std::string("''") : std::string(1, c);
  }
  return out + "'";
}

std::string candidate(const std::string& text, const std::string& help) {
  return fmt::format("                cand {} {}\n", single_quoted(text), single_quoted(help));
}

std::string tables(const Command& root) {
  std::string next;
  std::string values;
  for_each_command(root, [&](const Command& command) {
    auto here = join(command.path, ";");
    for (const Command& sub : command.subcommands) {
      next += fmt::format("        &{}={}\n", single_quoted(here + "|" + sub.name),
                          single_quoted(join(sub.path, ";")));
    }
    for (const Option& option : command.options) {
      if (!option.takes_value()) {
        continue;
      }
      std::vector<std::string> choices;
      for (const auto& choice : option.choices) {
        choices.push_back(single_quoted(choice));
      }
      for (const auto& name : option.names) {
        values += fmt::format("        &{}=[{}]\n", single_quoted(here + "|" + name),
                              fmt::join(choices, " "));
      }
    }
  });
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
  return fmt::format("            &{}= {{\n{}            }}\n",
                     single_quoted(join(command.path, ";")), candidates);
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
                     fmt::arg("name", root.name), fmt::arg("root", single_quoted(root.name)),
                     fmt::arg("tables", tables(root)), fmt::arg("entries", entries));
}

} // namespace zelkor::completions
