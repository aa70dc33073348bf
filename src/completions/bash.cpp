#include <fmt/format.h>

#include "completions/scripts.h"

namespace zelkor::completions {

namespace {

// A single-quoted bash word.
std::string single_quoted(std::string_view text) {
  std::string out = "'";
  for (char c : text) {
    out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return out + "'";
}

// Arguments for the script's offer function, one quoted word per value: compgen -W would
// expand and split a value list itself, so a quote in a value would break it.
std::string words(const std::vector<std::string>& list) {
  std::vector<std::string> quoted;
  for (const auto& word : list) {
    quoted.push_back(single_quoted(word));
  }
  return fmt::format("{}", fmt::join(quoted, " "));
}

// Case arms that follow the typed words down the tree, stepping over option values so a value
// that happens to equal a subcommand word is not taken for one.
std::string walk_arms(const Command& root) {
  std::string out;
  for_each_command(root, [&](const Command& command) {
    auto here = join(command.path, "__");
    for (const Command& sub : command.subcommands) {
      out += fmt::format("            {}) cmd={} ;;\n", single_quoted(here + "|" + sub.name),
                         single_quoted(join(sub.path, "__")));
    }
    for (const Option& option : command.options) {
      if (!option.takes_value()) {
        continue;
      }
      std::vector<std::string> patterns;
      for (const auto& name : option.names) {
        patterns.push_back(single_quoted(here + "|" + name));
      }
      out += fmt::format("            {}) ((i++)) ;;\n", fmt::join(patterns, "|"));
    }
  });
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
    std::vector<std::string> patterns;
    for (const auto& name : option.names) {
      patterns.push_back(single_quoted(name));
    }
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
                     single_quoted(join(command.path, "__")), values, command.path.front(),
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
      fmt::arg("name", root.name), fmt::arg("root", single_quoted(root.name)),
      fmt::arg("walk", walk_arms(root)), fmt::arg("arms", arms), fmt::arg("function", function));
}

} // namespace zelkor::completions
