#include <fmt/format.h>

#include "completions/quoting.h"
#include "completions/scripts.h"

namespace zelkor::completions {

namespace {

// Two quotes stand for one inside a single-quoted PowerShell string.
constexpr std::string_view escaped_quote = "''";

// A single-quoted PowerShell string.
std::string in_quotes(std::string_view text) {
  return single_quoted(text, escaped_quote);
}

// CompletionResult refuses an empty tooltip.
std::string tooltip(const std::string& help, const std::string& fallback) {
  return in_quotes(help.empty() ? fallback : help);
}

std::string tables(const Command& root) {
  std::string next;
  std::string values;
  for (const Transitions& moves : transitions(root, ";")) {
    for (const Step& step : moves.steps) {
      next += fmt::format("        {} = {}\n", in_quotes(step.key), in_quotes(step.target));
    }
    for (const ValueOption& option : moves.value_options) {
      auto choices = single_quoted_each(option.option->choices, escaped_quote);
      for (const auto& key : option.keys) {
        values += fmt::format("        {} = @({})\n", in_quotes(key), fmt::join(choices, ", "));
      }
    }
  }
  return fmt::format("    $next = @{{\n{}    }}\n    $values = @{{\n{}    }}\n", next, values);
}

std::string command_arm(const Command& command) {
  std::string results;
  for (const Option& option : command.options) {
    for (const auto& name : option.names) {
      results += fmt::format("            [CompletionResult]::new({}, {}, "
                             "[CompletionResultType]::ParameterName, {})\n",
                             in_quotes(name), in_quotes(name), tooltip(option.help, name));
    }
  }
  for (const Command& sub : command.subcommands) {
    results += fmt::format(
        "            [CompletionResult]::new({}, {}, [CompletionResultType]::ParameterValue, {})\n",
        in_quotes(sub.name), in_quotes(sub.name), tooltip(sub.about, sub.name));
  }
  for (const Positional& positional : command.positionals) {
    for (const auto& choice : positional.choices) {
      results += fmt::format("            [CompletionResult]::new({}, {}, "
                             "[CompletionResultType]::ParameterValue, {})\n",
                             in_quotes(choice), in_quotes(choice), in_quotes(choice));
    }
  }
  return fmt::format("        {} {{\n{}            break\n        }}\n",
                     in_quotes(join(command.path, ";")), results);
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
                     fmt::arg("name", in_quotes(root.name)), fmt::arg("tables", tables(root)),
                     fmt::arg("arms", arms));
}

} // namespace zelkor::completions
