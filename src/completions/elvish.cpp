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
  return fmt::format("cand {} {}; ", in_quotes(text), in_quotes(help));
}

// The candidates for one value: fixed words, device paths, file names.
std::string value_candidates(const std::vector<std::string>& choices, const std::string& help,
                             bool files, bool devices) {
  std::string out;
  for (const auto& choice : choices) {
    out += candidate(choice, help.empty() ? choice : help);
  }
  if (devices) {
    out += "for device [(put /dev/tty*[nomatch-ok])] { cand $device $device }; ";
  }
  if (files) {
    out += "edit:complete-filename $words[-1]; ";
  }
  return out;
}

std::string tables(const Command& root) {
  std::string next;
  std::string values;
  for (const Transitions& moves : transitions(root, ";")) {
    for (const Step& step : moves.steps) {
      next += fmt::format("        &{}={}\n", in_quotes(step.key), in_quotes(step.target));
    }
    for (const ValueOption& value : moves.value_options) {
      const Option& option = *value.option;
      for (const auto& key : value.keys) {
        values += fmt::format("        &{}={{ {}}}\n", in_quotes(key),
                              value_candidates(option.choices, {}, option.files, option.devices));
      }
    }
  }
  return fmt::format("    var next = [\n{}    ]\n    var values = [\n{}    ]\n", next, values);
}

// The candidates of the positional at $pos: the one at that index, or a repeated last one.
std::string positional_candidates(const Command& command) {
  std::string out;
  for (std::size_t i = 0; i < command.positionals.size(); ++i) {
    const Positional& positional = command.positionals[i];
    const bool last = i + 1 == command.positionals.size();
    out += fmt::format(
        "                if ({} $pos {}) {{ {}}}\n", positional.repeated && last ? ">=" : "==", i,
        value_candidates(positional.choices, positional.help, positional.files, false));
  }
  return out;
}

std::string command_entry(const Command& command) {
  std::string candidates;
  for (const Option& option : command.options) {
    for (const auto& name : option.names) {
      candidates += "                " + candidate(name, option.help) + "\n";
    }
  }
  for (const Command& sub : command.subcommands) {
    candidates += "                " + candidate(sub.name, sub.about) + "\n";
  }
  candidates += positional_candidates(command);
  return fmt::format("            &{}= {{|pos|\n{}            }}\n",
                     in_quotes(join(command.path, ";")), candidates);
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
    # Follow the finished words down the tree, stepping over option values and counting the
    # positional values; the last word is the one being completed.
    var command = {root}
    var pos = 0
    var skip = $false
    for word $words[1..-1] {{
        if $skip {{
            set skip = $false
            continue
        }}
        var key = $command'|'$word
        if (has-key $next $key) {{
            set command = $next[$key]
            set pos = 0
        }} elif (has-key $values $key) {{
            set skip = $true
        }} elif (not (str:has-prefix $word -)) {{
            set pos = (+ $pos 1)
        }}
    }}
    if $skip {{
        $values[$command'|'$words[-2]]
    }} else {{
        var completions = [
{entries}        ]
        $completions[$command] $pos
    }}
}}
)",
                     fmt::arg("name", root.name), fmt::arg("root", in_quotes(root.name)),
                     fmt::arg("tables", tables(root)), fmt::arg("entries", entries));
}

} // namespace zelkor::completions
