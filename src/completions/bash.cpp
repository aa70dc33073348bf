#include <fmt/format.h>

#include "completions/quoting.h"
#include "completions/scripts.h"

namespace zelkor::completions {

namespace {

// A quote cannot appear inside single quotes: end them, add an escaped quote, reopen.
constexpr std::string_view escaped_quote = "'\\''";

// A single-quoted bash word.
std::string in_quotes(std::string_view text) {
  return single_quoted(text, escaped_quote);
}

// Arguments for the script's offer function, one quoted word per value: compgen -W would
// expand and split a value list itself, so a quote in a value would break it.
std::string words(const std::vector<std::string>& list) {
  return fmt::format("{}", fmt::join(single_quoted_each(list, escaped_quote), " "));
}

// Case arms that follow the typed words down the tree, stepping over option values so a value
// that happens to equal a subcommand word is not taken for one.
std::string walk_arms(const Command& root) {
  std::string out;
  for (const Transitions& moves : transitions(root, "__")) {
    for (const Step& step : moves.steps) {
      out +=
          fmt::format("            {}) cmd={} ;;\n", in_quotes(step.key), in_quotes(step.target));
    }
    for (const ValueOption& option : moves.value_options) {
      out += fmt::format("            {}) ((i++)) ;;\n",
                         fmt::join(single_quoted_each(option.keys, escaped_quote), "|"));
    }
  }
  return out;
}

std::string command_arm(const Command& command) {
  std::string values;
  std::vector<std::string> offered;
  for (const Option& option : command.options) {
    offered.insert(offered.end(), option.names.begin(), option.names.end());
    if (!option.takes_value()) {
      continue;
    }
    auto patterns = single_quoted_each(option.names, escaped_quote);
    // No fixed values: leave the word to bash's default (file names).
    std::string reply = option.choices.empty() ? "COMPREPLY=()"
                                               : fmt::format("_{}_offer {}", command.path.front(),
                                                             words(option.choices));
    values += fmt::format("                {}) {}; return 0 ;;\n", fmt::join(patterns, "|"), reply);
  }
  for (const Command& sub : command.subcommands) {
    offered.push_back(sub.name);
  }
  for (const Positional& positional : command.positionals) {
    offered.insert(offered.end(), positional.choices.begin(), positional.choices.end());
  }
  return fmt::format("        {})\n"
                     "            case \"${{prev}}\" in\n"
                     "{}"
                     "            esac\n"
                     "            _{}_offer {}\n"
                     "            ;;\n",
                     in_quotes(join(command.path, "__")), values, command.path.front(),
                     words(offered));
}

} // namespace

std::string bash_script(const Command& root) {
  std::string arms;
  for_each_command(root, [&](const Command& command) { arms += command_arm(command); });
  auto function = "_" + root.name;
  return fmt::format(
      R"(# Offers the values that start with the word being completed, quoted for the command line.
_{name}_offer() {{
    local value quoted
    COMPREPLY=()
    for value in "$@"; do
        if [[ "${{value}}" == "${{cur}}"* ]]; then
            printf -v quoted '%q' "${{value}}"
            COMPREPLY+=("${{quoted}}")
        fi
    done
    if declare -F __ltrim_colon_completions >/dev/null; then
        __ltrim_colon_completions "${{cur}}"
    fi
}}

_{name}() {{
    local i cur prev cmd
    COMPREPLY=()
    cur="${{COMP_WORDS[COMP_CWORD]}}"
    prev="${{COMP_WORDS[COMP_CWORD-1]}}"
    # "--option=value" arrives as three words; complete the value after the "=".
    if [[ "${{cur}}" == "=" ]]; then
        prev="${{COMP_WORDS[COMP_CWORD-1]}}"
        cur=""
    elif [[ "${{prev}}" == "=" && ${{COMP_CWORD}} -ge 2 ]]; then
        prev="${{COMP_WORDS[COMP_CWORD-2]}}"
    fi
    cmd={root}

    for ((i = 1; i < COMP_CWORD; i++)); do
        case "${{cmd}}|${{COMP_WORDS[i]}}" in
{walk}        esac
    done

    case "${{cmd}}" in
{arms}    esac
    return 0
}}

complete -F {function} -o bashdefault -o default {name}
)",
      fmt::arg("name", root.name), fmt::arg("root", in_quotes(root.name)),
      fmt::arg("walk", walk_arms(root)), fmt::arg("arms", arms), fmt::arg("function", function));
}

} // namespace zelkor::completions
