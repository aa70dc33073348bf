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
// that happens to equal a subcommand word is not taken for one, and counting the positional
// values given to the command reached.
std::string walk_arms(const Command& root) {
  std::string out;
  for (const Transitions& moves : transitions(root, "__")) {
    for (const Step& step : moves.steps) {
      out += fmt::format("            {}) cmd={}; pos=0 ;;\n", in_quotes(step.key),
                         in_quotes(step.target));
    }
    for (const ValueOption& option : moves.value_options) {
      // "--name=value" arrives as three words.
      out += fmt::format(
          "            {}) ((i++)); [[ \"${{COMP_WORDS[i]}}\" == \"=\" ]] && ((i++)) ;;\n",
          fmt::join(single_quoted_each(option.keys, escaped_quote), "|"));
    }
  }
  return out;
}

// The calls that offer the values of an option or a positional.
std::string value_offers(const std::string& name, const std::vector<std::string>& choices,
                         bool files, bool devices) {
  std::vector<std::string> calls;
  if (!choices.empty()) {
    calls.push_back(fmt::format("_{}_offer {}", name, words(choices)));
  }
  if (devices) {
    calls.push_back(fmt::format("_{}_offer /dev/tty*", name));
  }
  if (files) {
    calls.push_back(fmt::format("_{}_files", name));
  }
  return calls.empty() ? ":" : fmt::format("{}", fmt::join(calls, "; "));
}

std::string positional_arms(const std::string& name, const Command& command) {
  std::string arms;
  for (std::size_t i = 0; i < command.positionals.size(); ++i) {
    const Positional& positional = command.positionals[i];
    const bool last = i + 1 == command.positionals.size();
    arms += fmt::format("                {}) {} ;;\n",
                        positional.repeated && last ? "*" : std::to_string(i),
                        value_offers(name, positional.choices, positional.files, false));
  }
  return arms.empty() ? std::string{}
                      : fmt::format("            case \"${{pos}}\" in\n{}            esac\n", arms);
}

std::string command_arm(const std::string& name, const Command& command) {
  std::string values;
  std::vector<std::string> option_names;
  for (const Option& option : command.options) {
    option_names.insert(option_names.end(), option.names.begin(), option.names.end());
    if (!option.takes_value()) {
      continue;
    }
    auto patterns = single_quoted_each(option.names, escaped_quote);
    values += fmt::format("                {}) {}; return 0 ;;\n", fmt::join(patterns, "|"),
                          value_offers(name, option.choices, option.files, option.devices));
  }
  std::vector<std::string> subcommand_names;
  for (const Command& sub : command.subcommands) {
    subcommand_names.push_back(sub.name);
  }
  const std::string subcommands =
      subcommand_names.empty()
          ? std::string{}
          : fmt::format("            _{}_offer {}\n", name, words(subcommand_names));
  // Values for a word that is no option: the subcommands, or the positional being filled.
  const std::string values_here = subcommands + positional_arms(name, command);
  const std::string offer_values =
      values_here.empty() ? std::string{}
                          : fmt::format("            if [[ \"${{cur}}\" != -* ]]; then\n"
                                        "{}"
                                        "            fi\n",
                                        values_here);
  return fmt::format("        {})\n"
                     "            case \"${{prev}}\" in\n"
                     "{}"
                     "            esac\n"
                     "{}"
                     "            if [[ \"${{cur}}\" == -* || ${{#COMPREPLY[@]}} -eq 0 ]]; then\n"
                     "                _{}_offer {}\n"
                     "            fi\n"
                     "            ;;\n",
                     in_quotes(join(command.path, "__")), values, offer_values, name,
                     words(option_names));
}

} // namespace

std::string bash_script(const Command& root) {
  std::string arms;
  for_each_command(root, [&](const Command& command) { arms += command_arm(root.name, command); });
  auto function = "_" + root.name;
  return fmt::format(
      R"(# Adds the values that start with the word being completed, quoted for the command line.
_{name}_offer() {{
    local value quoted
    for value in "$@"; do
        if [[ "${{value}}" == "${{cur}}"* ]]; then
            printf -v quoted '%q' "${{value}}"
            COMPREPLY+=("${{quoted}}")
        fi
    done
}}

# Adds the file names that start with the word being completed.
_{name}_files() {{
    local file
    compopt -o filenames 2>/dev/null
    while IFS= read -r file; do
        COMPREPLY+=("${{file}}")
    done < <(compgen -f -- "${{cur}}")
}}

# Fills COMPREPLY for the word being completed.
_{name}_complete() {{
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
    pos=0

    for ((i = 1; i < COMP_CWORD; i++)); do
        case "${{cmd}}|${{COMP_WORDS[i]}}" in
{walk}            *) [[ "${{COMP_WORDS[i]}}" != -* ]] && ((pos++)) ;;
        esac
    done

    case "${{cmd}}" in
{arms}    esac
}}

_{name}() {{
    local i cur prev cmd pos
    COMPREPLY=()
    _{name}_complete
    if declare -F __ltrim_colon_completions >/dev/null; then
        __ltrim_colon_completions "${{cur}}"
    fi
    return 0
}}

complete -F {function} {name}
)",
      fmt::arg("name", root.name), fmt::arg("root", in_quotes(root.name)),
      fmt::arg("walk", walk_arms(root)), fmt::arg("arms", arms), fmt::arg("function", function));
}

} // namespace zelkor::completions
