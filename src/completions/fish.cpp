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
std::string value_list(const std::vector<std::string>& values, bool devices) {
  std::vector<std::string> words;
  words.reserve(values.size() + 1);
  for (const auto& value : values) {
    words.push_back(escaped(value, " \t'\"$*?~#(){}[]<>&|;"));
  }
  if (devices) {
    words.emplace_back("(path filter /dev/tty*)");
  }
  return in_quotes(fmt::format("{}", fmt::join(words, " ")));
}

// Switch arms that follow the typed words down the tree, stepping over option values and
// counting the positional values given to the command reached.
std::string walk_arms(const Command& root) {
  std::string out;
  for (const Transitions& moves : transitions(root, " ")) {
    for (const Step& step : moves.steps) {
      out += fmt::format(
          "            case {}\n                set path {}\n                set pos 0\n",
          in_quotes(step.key), in_quotes(step.target));
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

// No file names unless the value is one (-F); a fixed list or the device paths otherwise.
std::string values_flags(const std::vector<std::string>& choices, bool files, bool devices) {
  if (files) {
    return " -F";
  }
  if (choices.empty() && !devices) {
    return " -f";
  }
  return fmt::format(" -f -a {}", value_list(choices, devices));
}

std::string option_line(const std::string& prefix, const Option& option) {
  std::string line = prefix;
  for (const auto& name : option.names) {
    line += name.starts_with("--") ? fmt::format(" -l {}", name.substr(2))
                                   : fmt::format(" -s {}", name.substr(1));
  }
  line += fmt::format(" -d {}", in_quotes(option.help));
  if (option.takes_value()) {
    line += " -r" + values_flags(option.choices, option.files, option.devices);
  }
  return line + "\n";
}

std::string positional_lines(const std::string& name, const Command& command) {
  std::string out;
  const auto path = in_quotes(join(command.path, " "));
  for (std::size_t i = 0; i < command.positionals.size(); ++i) {
    const Positional& positional = command.positionals[i];
    const bool last = i + 1 == command.positionals.size();
    const auto position = std::to_string(i) + (positional.repeated && last ? "+" : "");
    if (positional.choices.empty() && !positional.files) {
      continue;
    }
    out += fmt::format("complete -c {} -n {}{} -d {}\n", name,
                       in_quotes(fmt::format("__{}_at {} {}", name, path, position)),
                       values_flags(positional.choices, positional.files, false),
                       in_quotes(positional.help));
  }
  return out;
}

std::string command_lines(const std::string& name, const Command& command) {
  auto prefix = fmt::format("complete -c {} -n {}", name,
                            in_quotes("__" + name + "_at " + in_quotes(join(command.path, " "))));
  // Nothing here is a file name unless a line below says so.
  std::string out = prefix + " -f\n";
  for (const Option& option : command.options) {
    out += option_line(prefix, option);
  }
  for (const Command& sub : command.subcommands) {
    out += fmt::format("{} -f -a {} -d {}\n", prefix, in_quotes(sub.name), in_quotes(sub.about));
  }
  return out + positional_lines(name, command);
}

} // namespace

std::string fish_script(const Command& root) {
  std::string lines;
  for_each_command(root,
                   [&](const Command& command) { lines += command_lines(root.name, command); });
  return fmt::format(
      R"(# The words typed so far, reduced to the path of subcommands they select (first line) and
# the number of positional values given to the last of them (second line).
function __{name}_state
    set -l words (commandline -opc)
    set -e words[1]
    set -l path {root}
    set -l pos 0
    set -l skip 0
    for word in $words
        if test $skip -eq 1
            set skip 0
            continue
        end
        switch "$path|$word"
{walk}            case '*'
                if not string match -q -- '-*' $word
                    set pos (math $pos + 1)
                end
        end
    end
    echo $path
    echo $pos
end

# True at the command path $argv[1]; with $argv[2], only at that position ("2+": from it on).
function __{name}_at
    set -l state (__{name}_state)
    test "$state[1]" = "$argv[1]"; or return 1
    set -q argv[2]; or return 0
    if string match -q -- '*+' $argv[2]
        test $state[2] -ge (string trim -r -c + -- $argv[2])
    else
        test $state[2] -eq $argv[2]
    end
end

{lines})",
      fmt::arg("name", root.name), fmt::arg("root", in_quotes(root.name)),
      fmt::arg("walk", walk_arms(root)), fmt::arg("lines", lines));
}

} // namespace zelkor::completions
