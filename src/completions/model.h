#pragma once
// The command tree as completion scripts see it: plain data, walked once from the CLI11 tree,
// so each shell's generator only formats.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zelkor::cli {
class Tree;
} // namespace zelkor::cli

namespace zelkor::completions {

struct Option {
  std::vector<std::string> names; // with their dashes: "-t", "--timeout"
  std::string value_name;         // empty for a switch
  std::string help;
  std::vector<std::string> choices; // offered; fixed unless `devices`
  bool files = false;               // the value is a file name
  bool devices = false;             // the value may also be a /dev/tty* device path

  [[nodiscard]] bool takes_value() const { return !value_name.empty(); }
};

struct Positional {
  std::string name;
  std::string help;
  bool required = false;
  bool repeated = false;
  std::vector<std::string> choices;
  bool files = false; // the value is a file name
};

struct Command {
  std::vector<std::string> path; // from the command name down: {"zelkor", "raw", "write"}
  std::string name;
  std::string about;
  std::vector<Option> options;
  std::vector<Positional> positionals;
  std::vector<Command> subcommands;
};

Command walk(const cli::Tree& tree);

// Visits `command` and every command below it, parents before children.
void for_each_command(const Command& command, const std::function<void(const Command&)>& visit);

// The words of `path` joined by `separator`, e.g. "zelkor__raw__write".
std::string join(const std::vector<std::string>& path, std::string_view separator);

// A subcommand word: typed after the command at the key's path, it leads to `target`.
struct Step {
  std::string key;    // "path|word"
  std::string target; // the subcommand's joined path
};

// An option that takes the next word as its value, under each of its names.
struct ValueOption {
  std::vector<std::string> keys; // "path|name", one for each name
  const Option* option;
};

// How the words typed after one command move a script's walk down the tree. The scripts step
// over option values so a value that happens to equal a subcommand word is not taken for one.
struct Transitions {
  std::vector<Step> steps;
  std::vector<ValueOption> value_options;
};

// The transitions of `root` and of every command below it, parents before children, with each
// path joined by `separator`.
std::vector<Transitions> transitions(const Command& root, std::string_view separator);

} // namespace zelkor::completions
