#include <fmt/format.h>

#include "completions/quoting.h"
#include "completions/scripts.h"

namespace zelkor::completions {

namespace {

// A single-quoted zsh word: a quote inside ends the quotes, is escaped and reopens them.
std::string in_quotes(std::string_view text) {
  return single_quoted(text, "'\\''");
}

// File names only where the value is one; a single space is a value with nothing to offer.
std::string value_action(const std::vector<std::string>& choices, bool files, bool devices) {
  if (files) {
    return "_files";
  }
  std::vector<std::string> words;
  for (const auto& choice : choices) {
    words.push_back(escaped(choice, " ():'\"{}$`"));
  }
  if (devices) {
    return fmt::format("{{compadd -- {} /dev/tty*(N)}}", fmt::join(words, " "));
  }
  return words.empty() ? " " : fmt::format("({})", fmt::join(words, " "));
}

std::string option_definitions(const Option& option) {
  auto exclusions = fmt::format("({})", fmt::join(option.names, " "));
  auto help = escaped(option.help, "[]:");
  std::string out;
  for (const auto& name : option.names) {
    std::string definition = exclusions + name;
    if (option.takes_value()) {
      definition += name.starts_with("--") ? "=" : "+";
      definition += fmt::format("[{}]:{}:{}", help, escaped(option.value_name, ":"),
                                value_action(option.choices, option.files, option.devices));
    } else {
      definition += fmt::format("[{}]", help);
    }
    out += fmt::format("        {} \\\n", in_quotes(definition));
  }
  return out;
}

// _arguments' marker: "*:" repeats, ":" is required, "::" optional.
std::string_view colons_for(const Positional& positional) {
  if (positional.repeated) {
    return "*:";
  }
  return positional.required ? ":" : "::";
}

std::string positional_definition(const Positional& positional) {
  const std::string_view colons = colons_for(positional);
  auto definition = fmt::format("{}{} -- {}:{}", colons, escaped(positional.name, ":"),
                                escaped(positional.help, ":"),
                                value_action(positional.choices, positional.files, false));
  return fmt::format("        {} \\\n", in_quotes(definition));
}

std::string command_functions(const Command& command) {
  auto function = "_" + join(command.path, "__");
  std::string definitions;
  for (const Option& option : command.options) {
    definitions += option_definitions(option);
  }
  for (const Positional& positional : command.positionals) {
    definitions += positional_definition(positional);
  }
  if (command.subcommands.empty()) {
    return fmt::format("{}() {{\n    _arguments -s -S \\\n{}        && return 0\n}}\n\n", function,
                       definitions);
  }
  std::string entries;
  std::string dispatch;
  for (const Command& sub : command.subcommands) {
    entries += fmt::format("        {}\n", in_quotes(escaped(sub.name, ":") + ":" + sub.about));
    dispatch += fmt::format("                ({}) _{} ;;\n", sub.name, join(sub.path, "__"));
  }
  return fmt::format(R"({function}() {{
    local context curcontext="$curcontext" state state_descr line
    typeset -A opt_args
    _arguments -s -S -C \
{definitions}        ': :{function}_commands' \
        '*::: :->subcommand' && return 0
    case $state in
        (subcommand)
            # The rest of the words starts after the subcommand; put it back as the command word.
            words=($line[1] "${{words[@]}}")
            (( CURRENT += 1 ))
            curcontext="${{curcontext%:*:*}}:{name}-$line[1]:"
            case $line[1] in
{dispatch}            esac
            ;;
    esac
}}

{function}_commands() {{
    local commands
    commands=(
{entries}    )
    _describe -t commands {title} commands "$@"
}}

)",
                     fmt::arg("function", function), fmt::arg("definitions", definitions),
                     fmt::arg("name", join(command.path, "-")), fmt::arg("dispatch", dispatch),
                     fmt::arg("entries", entries),
                     fmt::arg("title", in_quotes(join(command.path, " ") + " commands")));
}

} // namespace

std::string zsh_script(const Command& root) {
  std::string functions;
  for_each_command(root, [&](const Command& command) { functions += command_functions(command); });
  return fmt::format(R"(#compdef {name}

{functions}if [ "$funcstack[1]" = "_{name}" ]; then
    _{name} "$@"
else
    compdef _{name} {name}
fi
)",
                     fmt::arg("name", root.name), fmt::arg("functions", functions));
}

} // namespace zelkor::completions
