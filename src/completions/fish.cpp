#include <fmt/format.h>

#include "completions/quoting.h"
#include "completions/scripts.h"

namespace zelkor::completions {

namespace {

// A single-quoted fish word: inside single quotes fish still takes a backslash as an escape.
std::string in_quotes(std::string_view text) {
  return single_quoted(escaped(text, ""), "\\'");
}

// The list given to -a is split into words the way fish splits a command line, so each value
// carries its own escapes inside the quoted list.
std::string value_list(const std::vector<std::string>& values) {
  std::vector<std::string> words;
  words.reserve(values.size());
  for (const auto& value : values) {
    words.push_back(escaped(value, " \t'\"$*?~#(){}[]<>&|;"));
  }
  return in_quotes(fmt::format("{}", fmt::join(words, " ")));
}

// Switch arms that follow the typed words down the tree, stepping over option values.
std::string walk_arms(const Command& root) {
  std::string out;
  for (const Transitions& moves : transitions(root, " ")) {
    for (const Step& step : moves.steps) {
      out += fmt::format("            case {}\n                set path {}\n", in_quotes(step.key),
                         in_quotes(step.target));
    }
    for (const ValueOption& option : moves.value_options) {
      std::vector<std::string> patterns;
      patterns.reserve(option.keys.size());
      for (const auto& key : option.keys) {
        patterns.push_back(in_quotes(key));
      }
      out += fmt::format("            case {}\n                set skip 1\n",
                         fmt::join(patterns, " "));
    }
  }
  return out;
}

std::string option_line(const std::string& prefix, const Option& option) {
  std::string line = prefix;
  for (const auto& name : option.names) {
    line += name.starts_with("--") ? fmt::format(" -l {}", name.substr(2))
                                   : fmt::format(" -s {}", name.substr(1));
  }
  line += fmt::format(" -d {}", in_quotes(option.help));
  if (option.takes_value()) {
    line += " -r";
  }
  if (!option.choices.empty()) {
    line += fmt::format(" -f -a {}", value_list(option.choices));
  }
  return line + "\n";
}

std::string command_lines(const std::string& name, const Command& command) {
  auto prefix = fmt::format("complete -c {} -n {}", name,
                            in_quotes("__" + name + "_at " + in_quotes(join(command.path, " "))));
  std::string out;
  if (!command.subcommands.empty()) {
    out += prefix + " -f\n";
  }
  for (const Option& option : command.options) {
    out += option_line(prefix, option);
  }
  for (const Command& sub : command.subcommands) {
    out += fmt::format("{} -f -a {} -d {}\n", prefix, in_quotes(sub.name), in_quotes(sub.about));
  }
  for (const Positional& positional : command.positionals) {
    if (!positional.choices.empty()) {
      out += fmt::format("{} -f -a {}\n", prefix, value_list(positional.choices));
    }
  }
  return out;
}

} // namespace

std::string fish_script(const Command& root) {
  std::string lines;
  for_each_command(root,
                   [&](const Command& command) { lines += command_lines(root.name, command); });
  return fmt::format(R"(# The words typed so far, reduced to the path of subcommands they select.
function __{name}_path
    set -l words (commandline -opc)
    set -e words[1]
    set -l path {root}
    set -l skip 0
    for word in $words
        if test $skip -eq 1
            set skip 0
            continue
        end
        switch "$path|$word"
{walk}        end
    end
    echo $path
end

function __{name}_at
    test (__{name}_path) = "$argv[1]"
end

{lines})",
                     fmt::arg("name", root.name), fmt::arg("root", in_quotes(root.name)),
                     fmt::arg("walk", walk_arms(root)), fmt::arg("lines", lines));
}

} // namespace zelkor::completions
