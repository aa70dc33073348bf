#include <fmt/format.h>

#include "completions/scripts.h"

namespace zelkor::completions {

namespace {

// A single-quoted PowerShell string.
std::string single_quoted(std::string_view text) {
  std::string out = "'";
  for (char c : text) {
    out += c == '\'' ? std::string("''") : std::string(1, c);
  }
  return out + "'";
}

// CompletionResult refuses an empty tooltip.
std::string tooltip(const std::string& help, const std::string& fallback) {
  return single_quoted(help.empty() ? fallback : help);
}

std::string tables(const Command& root) {
  std::string next;
  std::string values;
  for_each_command(root, [&](const Command& command) {
    auto here = join(command.path, ";");
    for (const Command& sub : command.subcommands) {
      next += fmt::format("        {} = {}\n", single_quoted(here + "|" + sub.name),
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
        values += fmt::format("        {} = @({})\n", single_quoted(here + "|" + name),
                              fmt::join(choices, ", "));
      }
    }
  });
  return fmt::format("    $next = @{{\n{}    }}\n    $values = @{{\n{}    }}\n", next, values);
}

std::string command_arm(const Command& command) {
  std::string results;
  for (const Option& option : command.options) {
    for (const auto& name : option.names) {
      results += fmt::format("            [CompletionResult]::new({}, {}, "
                             "[CompletionResultType]::ParameterName, {})\n",
                             single_quoted(name), single_quoted(name), tooltip(option.help, name));
    }
  }
  for (const Command& sub : command.subcommands) {
    results += fmt::format(
        "            [CompletionResult]::new({}, {}, [CompletionResultType]::ParameterValue, {})\n",
        single_quoted(sub.name), single_quoted(sub.name), tooltip(sub.about, sub.name));
  }
  for (const Positional& positional : command.positionals) {
    for (const auto& choice : positional.choices) {
      results += fmt::format("            [CompletionResult]::new({}, {}, "
                             "[CompletionResultType]::ParameterValue, {})\n",
                             single_quoted(choice), single_quoted(choice), single_quoted(choice));
    }
  }
  return fmt::format("        {} {{\n{}            break\n        }}\n",
                     single_quoted(join(command.path, ";")), results);
}

} // namespace

std::string powershell_script(const Command& root) {
  std::string arms;
  for_each_command(root, [&](const Command& command) { arms += command_arm(command); });
  return fmt::format(R"(using namespace System.Management.Automation
using namespace System.Management.Automation.Language

Register-ArgumentCompleter -Native -CommandName {name} -ScriptBlock {{
    param($wordToComplete, $commandAst, $cursorPosition)

{tables}
    # Follow the words before the cursor down the tree, stepping over option values.
    $command = {name}
    $previous = ''
    $skip = $false
    $elements = $commandAst.CommandElements
    for ($i = 1; $i -lt $elements.Count; $i++) {{
        if ($elements[$i].Extent.EndOffset -ge $cursorPosition) {{ break }}
        $word = $elements[$i].ToString()
        $previous = $word
        if ($skip) {{ $skip = $false; continue }}
        $key = $command + '|' + $word
        if ($next.ContainsKey($key)) {{ $command = $next[$key] }}
        elseif ($values.ContainsKey($key)) {{ $skip = $true }}
    }}

    $key = $command + '|' + $previous
    if ($skip -and $values.ContainsKey($key)) {{
        $values[$key] | Where-Object {{ $_ -like "$wordToComplete*" }} | ForEach-Object {{
            [CompletionResult]::new($_, $_, [CompletionResultType]::ParameterValue, $_)
        }}
        return
    }}

    $completions = @(switch ($command) {{
{arms}    }})

    $completions.Where{{ $_.CompletionText -like "$wordToComplete*" }} |
        Sort-Object -Property ListItemText
}}
)",
                     fmt::arg("name", single_quoted(root.name)), fmt::arg("tables", tables(root)),
                     fmt::arg("arms", arms));
}

} // namespace zelkor::completions
